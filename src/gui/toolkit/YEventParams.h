// The parameter records that events hand to their handlers.
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YGeometry.h"

#include <cstdint>

class YControl;
class YThread;
struct YSystemEvent;

// A control was clicked (or pressed by keyboard): where, with which buttons and modifiers.
struct YOnClickParams {
    YControl* sender = nullptr;
    YPoint point;       // relative to the sender
    uint32_t flags = 0; // YEventFlag bits
};

// A control reports something without data beyond a code of its own.
struct YOnNotifyParams {
    YControl* sender = nullptr;
    int32_t code = 0;
};

// An item was chosen or changed. Item is what the sender holds: an integer index, a list-box,
// tree, menu or caption-button item, a preset-tree node, or a 2-D integer point.
template <typename Item> struct YOnItemParams {
    YControl* sender = nullptr;
    Item item{};
};

// A keyboard shortcut matched.
struct YOnKeyboardShortcutParams {
    YControl* sender = nullptr;
    uint32_t keyCode = 0;
    uint32_t modifiers = 0; // YEventFlag modifier bits
};

// A key or character event reached a control (its key event).
struct YOnKeyParams {
    YControl* sender = nullptr;
    const YSystemEvent* event = nullptr;
};

// A text was entered or changed.
struct YOnStringParams {
    YControl* sender = nullptr;
    YString text;
};

// A message from another thread, delivered on the GUI thread (a thread that ended names
// itself here).
struct YOnThreadNotifyParams {
    YThread* thread = nullptr;
    int32_t code = 0;
    void* data = nullptr;
};

// A menu command was chosen.
struct YOnMenuParams {
    YControl* sender = nullptr;
    int32_t command = 0;
};

// A plug-in parameter changed (index in the plug-in's parameter space, normalised value).
struct YOnPluginParameterChangeParams {
    int32_t index = 0;
    double value = 0.0;
};

// The window's global handlers see every event nobody in the tree handled.
struct YOnGlobalEventParams {
    YControl* window = nullptr;
    const YSystemEvent* event = nullptr;
};

// The invalidator asks for a rectangle (window coordinates) to be repainted.
struct YOnInvalidateParams {
    YRect rect;
};
