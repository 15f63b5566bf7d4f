// A named pose in the world (position, rotation and the rotation's GL-order matrix); the waypoints and the
// camera are nodes.
#pragma once

#include "core/Math.h"

#include <string>

class SceneNode {
public:
    // The name is kept in lower case.
    explicit SceneNode(std::string name);

    virtual bool Init();
    virtual void Apply();
    // Back to the origin and the identity rotation; the matrix is left as it was.
    virtual void Reset();
    virtual void SetPosition(Vec3 newPosition);
    // The matrix is left as it was: only Rotate, Move and the camera recompute it.
    virtual void SetRotation(Quaternion newRotation);

    // Degrees: x about the node's own right axis, y about the world's vertical, z about its own back axis.
    void Rotate(Vec3 degrees);
    // Along the node's own axes: x right, y up, z back (a camera moves forward with a negative z).
    void Move(Vec3 offset);

    Vec3 position;
    Quaternion rotation;
    Matrix4 matrix; // GL order
    std::string name;

protected:
    // The matrix of the current rotation, in GL order.
    void RebuildMatrix();
};
