# The model generator, the check that the committed tables in render/models are what it writes, and
# a tool that renders the models from every waypoint into PNG files.
set(MODEL_TOOL_DIR ${CMAKE_SOURCE_DIR}/tools/models)
add_executable(standview_models
    ${MODEL_TOOL_DIR}/GenerateModels.cpp ${MODEL_TOOL_DIR}/MeshBuilder.cpp ${MODEL_TOOL_DIR}/Triangulate.cpp
    ${MODEL_TOOL_DIR}/Parts.cpp ${MODEL_TOOL_DIR}/ModelWriter.cpp ${MODEL_TOOL_DIR}/Landscape.cpp
    ${MODEL_TOOL_DIR}/Temple.cpp ${MODEL_TOOL_DIR}/Floating.cpp)

add_executable(standview_model_views ${MODEL_TOOL_DIR}/RenderViews.cpp ${MODEL_TOOL_DIR}/PngWriter.cpp)
target_link_libraries(standview_model_views PRIVATE standview_core)

# Rewrites the committed tables after a change to the generator: cmake --build build --target update_models
add_custom_target(update_models COMMAND standview_models ${CMAKE_SOURCE_DIR}/render/models
    COMMENT "Writing render/models from the model generator")

set(MODEL_REGENERATED_DIR ${CMAKE_BINARY_DIR}/models-regenerated)
add_test(NAME models_regenerate COMMAND standview_models ${MODEL_REGENERATED_DIR})
set_tests_properties(models_regenerate PROPERTIES FIXTURES_SETUP models_regenerated)
foreach(model LandscapeModel TempleModel FloatingModel)
    add_test(NAME models_committed_${model} COMMAND ${CMAKE_COMMAND} -E compare_files
        ${MODEL_REGENERATED_DIR}/${model}.cpp ${CMAKE_SOURCE_DIR}/render/models/${model}.cpp)
    set_tests_properties(models_committed_${model} PROPERTIES FIXTURES_REQUIRED models_regenerated)
endforeach()
# The sanitizer build leaves the tables' check out: it compares text that both builds write alike.
set_tests_properties(models_regenerate models_committed_LandscapeModel models_committed_TempleModel
    models_committed_FloatingModel PROPERTIES LABELS no-sanitizer)
