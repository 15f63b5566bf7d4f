#include "camera/SceneNode.h"

#include <cctype>
#include <utility>

SceneNode::SceneNode(std::string givenName) : name(std::move(givenName)) {
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
}

bool SceneNode::Init() {
    return true;
}

void SceneNode::Apply() {}

void SceneNode::Reset() {
    position = Vec3();
    rotation = Quaternion();
}

void SceneNode::SetPosition(Vec3 newPosition) {
    position = newPosition;
}

void SceneNode::SetRotation(Quaternion newRotation) {
    rotation = newRotation;
}

void SceneNode::RebuildMatrix() {
    rotation.ToMatrix(matrix.m);
    matrix.Transpose();
}

void SceneNode::Rotate(Vec3 degrees) {
    // Both own axes are taken before the rotation changes.
    const Vec3 right = rotation.AxisX();
    const Vec3 back = rotation.AxisZ();
    Quaternion aboutRight, aboutVertical, aboutBack;
    aboutRight.FromAxisAngle(right, degrees.x * kRadiansPerDegree);
    aboutVertical.FromAxisAngle(Vec3(0.0f, 1.0f, 0.0f), degrees.y * kRadiansPerDegree);
    aboutBack.FromAxisAngle(back, degrees.z * kRadiansPerDegree);
    rotation *= aboutRight;
    rotation *= aboutVertical;
    rotation *= aboutBack;
    rotation.Normalize();
    RebuildMatrix();
}

void SceneNode::Move(Vec3 offset) {
    if (offset.x != 0.0f) {
        position += rotation.AxisX() * offset.x;
    }
    if (offset.y != 0.0f) {
        position += rotation.AxisY() * offset.y;
    }
    if (offset.z != 0.0f) {
        position += rotation.AxisZ() * offset.z;
    }
    rotation.Normalize();
    RebuildMatrix();
}
