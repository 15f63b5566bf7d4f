// The OpenGL 2.0, framebuffer and pixel buffer entry points the program calls. Mesa's libGL exports them on
// Linux; Windows' opengl32 exports OpenGL 1.1 only and hands out the rest through wglGetProcAddress, for the
// current context. Each is looked up again after a new context is made, and a missing one does
// nothing: callers ask the context's version before they use any.
#define GL_GLEXT_PROTOTYPES
#include "platform/GlGeneration.h"
#include "platform/win32/WinApi.h"

#include "platform/OpenGl.h"

#include <GL/glext.h>

namespace {

// Some drivers answer a name they lack with a small number or -1 rather than null.
constexpr intptr_t kLargestFailureCode = 3;
constexpr intptr_t kFailureAllOnes = -1;

bool IsAddress(intptr_t value) {
    return value > kLargestFailureCode || (value < 0 && value != kFailureAllOnes);
}

template <typename Function> class EntryPoint {
public:
    explicit EntryPoint(const char* name) : name(name) {}
    Function Get() {
        const uint32_t current = platform::GlContextGeneration();
        if (generation != current) {
            generation = current;
            const auto found = reinterpret_cast<intptr_t>(wglGetProcAddress(name));
            address = IsAddress(found) ? reinterpret_cast<Function>(found) : nullptr;
        }
        return address;
    }

private:
    const char* name;
    uint32_t generation = 0;
    Function address = nullptr;
};

// Calls the entry point when the driver has it; otherwise answers as a call that failed would.
template <typename Function, typename Result, typename... Arguments>
Result CallOr(Result failed, EntryPoint<Function>& entry, Arguments... arguments) {
    const Function function = entry.Get();
    return function ? function(arguments...) : failed;
}

template <typename Function, typename... Arguments>
void Call(EntryPoint<Function>& entry, Arguments... arguments) {
    if (const Function function = entry.Get()) {
        function(arguments...);
    }
}

EntryPoint<PFNGLCREATESHADERPROC> createShader("glCreateShader");
EntryPoint<PFNGLSHADERSOURCEPROC> shaderSource("glShaderSource");
EntryPoint<PFNGLCOMPILESHADERPROC> compileShader("glCompileShader");
EntryPoint<PFNGLGETSHADERIVPROC> getShaderiv("glGetShaderiv");
EntryPoint<PFNGLDELETESHADERPROC> deleteShader("glDeleteShader");
EntryPoint<PFNGLCREATEPROGRAMPROC> createProgram("glCreateProgram");
EntryPoint<PFNGLATTACHSHADERPROC> attachShader("glAttachShader");
EntryPoint<PFNGLLINKPROGRAMPROC> linkProgram("glLinkProgram");
EntryPoint<PFNGLGETPROGRAMIVPROC> getProgramiv("glGetProgramiv");
EntryPoint<PFNGLDELETEPROGRAMPROC> deleteProgram("glDeleteProgram");
EntryPoint<PFNGLUSEPROGRAMPROC> useProgram("glUseProgram");
EntryPoint<PFNGLGETUNIFORMLOCATIONPROC> getUniformLocation("glGetUniformLocation");
EntryPoint<PFNGLUNIFORM1IPROC> uniform1i("glUniform1i");
EntryPoint<PFNGLGENFRAMEBUFFERSPROC> genFramebuffers("glGenFramebuffers");
EntryPoint<PFNGLBINDFRAMEBUFFERPROC> bindFramebuffer("glBindFramebuffer");
EntryPoint<PFNGLFRAMEBUFFERTEXTURE2DPROC> framebufferTexture2D("glFramebufferTexture2D");
EntryPoint<PFNGLCHECKFRAMEBUFFERSTATUSPROC> checkFramebufferStatus("glCheckFramebufferStatus");
EntryPoint<PFNGLGENBUFFERSPROC> genBuffers("glGenBuffers");
EntryPoint<PFNGLBINDBUFFERPROC> bindBuffer("glBindBuffer");
EntryPoint<PFNGLBUFFERDATAPROC> bufferData("glBufferData");
EntryPoint<PFNGLMAPBUFFERPROC> mapBuffer("glMapBuffer");
EntryPoint<PFNGLUNMAPBUFFERPROC> unmapBuffer("glUnmapBuffer");

constexpr GLint kNoLocation = -1;

} // namespace

extern "C" {

GLuint APIENTRY glCreateShader(GLenum type) {
    return CallOr(0u, createShader, type);
}
void APIENTRY glShaderSource(GLuint shader, GLsizei count, const GLchar* const* strings,
                             const GLint* lengths) {
    Call(shaderSource, shader, count, strings, lengths);
}
void APIENTRY glCompileShader(GLuint shader) {
    Call(compileShader, shader);
}
void APIENTRY glGetShaderiv(GLuint shader, GLenum name, GLint* value) {
    Call(getShaderiv, shader, name, value);
}
void APIENTRY glDeleteShader(GLuint shader) {
    Call(deleteShader, shader);
}
GLuint APIENTRY glCreateProgram() {
    return CallOr(0u, createProgram);
}
void APIENTRY glAttachShader(GLuint program, GLuint shader) {
    Call(attachShader, program, shader);
}
void APIENTRY glLinkProgram(GLuint program) {
    Call(linkProgram, program);
}
void APIENTRY glGetProgramiv(GLuint program, GLenum name, GLint* value) {
    Call(getProgramiv, program, name, value);
}
void APIENTRY glDeleteProgram(GLuint program) {
    Call(deleteProgram, program);
}
void APIENTRY glUseProgram(GLuint program) {
    Call(useProgram, program);
}
GLint APIENTRY glGetUniformLocation(GLuint program, const GLchar* name) {
    return CallOr(kNoLocation, getUniformLocation, program, name);
}
void APIENTRY glUniform1i(GLint location, GLint value) {
    Call(uniform1i, location, value);
}
void APIENTRY glGenFramebuffers(GLsizei count, GLuint* names) {
    Call(genFramebuffers, count, names);
}
void APIENTRY glBindFramebuffer(GLenum target, GLuint framebuffer) {
    Call(bindFramebuffer, target, framebuffer);
}
void APIENTRY glFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textureTarget, GLuint texture,
                                     GLint level) {
    Call(framebufferTexture2D, target, attachment, textureTarget, texture, level);
}
GLenum APIENTRY glCheckFramebufferStatus(GLenum target) {
    return CallOr(0u, checkFramebufferStatus, target);
}
void APIENTRY glGenBuffers(GLsizei count, GLuint* names) {
    Call(genBuffers, count, names);
}
void APIENTRY glBindBuffer(GLenum target, GLuint buffer) {
    Call(bindBuffer, target, buffer);
}
void APIENTRY glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
    Call(bufferData, target, size, data, usage);
}
void* APIENTRY glMapBuffer(GLenum target, GLenum access) {
    return CallOr(static_cast<void*>(nullptr), mapBuffer, target, access);
}
GLboolean APIENTRY glUnmapBuffer(GLenum target) {
    return CallOr(static_cast<GLboolean>(GL_FALSE), unmapBuffer, target);
}

} // extern "C"
