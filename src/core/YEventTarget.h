// YEventTarget: the base of every object that owns event handlers.
#pragma once

#include "foundation/YObject.h"

class YEventTarget : public YObject {
public:
    YEventTarget() = default;
    YEventTarget(const YEventTarget&) = default;
    YEventTarget& operator=(const YEventTarget&) = default;
    ~YEventTarget() override = default;
};
