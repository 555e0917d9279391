// YObject: the common base of the framework's polymorphic classes.
#pragma once

class YObject {
public:
    YObject() = default;
    YObject(const YObject&) = default;
    YObject& operator=(const YObject&) = default;
    virtual ~YObject() = default;
};
