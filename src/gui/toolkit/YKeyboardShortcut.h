// Keyboard shortcuts: a handler kind that binds a handler to a key combination, and the list
// of them a control checks on key events.
#pragma once

#include "gui/toolkit/YEvent.h"
#include "gui/toolkit/YEventParams.h"
#include "gui/toolkit/YSystemEvent.h"

#include <cstdint>

// The handler kind: the combination a record answers to.
struct YKeyboardShortcut {
    uint32_t keyCode = 0;
    uint32_t modifiers = 0; // YEventFlag::kCtrl, kAlt, kShift
    // Subset mode: matches when every modifier of the shortcut is pressed (Ctrl+key also
    // answers Ctrl+Shift+key). Exact mode: the pressed modifiers must be these, no more.
    bool subset = false;
    bool disabled = false;

    bool Matches(uint32_t pressedKey, uint32_t pressedModifiers) const noexcept {
        if (disabled || pressedKey != keyCode) return false;
        const uint32_t pressed = pressedModifiers & YEventFlag::kModifiers;
        const uint32_t wanted = modifiers & YEventFlag::kModifiers;
        return subset ? (pressed & wanted) == wanted : pressed == wanted;
    }
};

// A control's shortcut list: each record a handler and the combination it answers to.
class YOnKeyboardShortcut : public YEvent<YOnKeyboardShortcutParams, YKeyboardShortcut> {
public:
    using Base = YEvent<YOnKeyboardShortcutParams, YKeyboardShortcut>;

    // Binds target's member function to a combination.
    template <auto Member, typename C>
    Record& AddShortcut(C* target, uint32_t keyCode, uint32_t modifiers, bool subset = false) {
        YKeyboardShortcut shortcut;
        shortcut.keyCode = keyCode;
        shortcut.modifiers = modifiers;
        shortcut.subset = subset;
        return Base::template Add<Member>(target, shortcut);
    }

    // Calls the handlers whose combination matches, in order; a match counts as handled
    // whatever the handler answers.
    bool Check(YControl* sender, uint32_t keyCode, uint32_t modifiers) {
        bool matched = false;
        for (int32_t i = 0; i < Count(); ++i) {
            const Record& r = At(i);
            if (!r.Matches(keyCode, modifiers)) continue;
            matched = true;
            YOnKeyboardShortcutParams params{sender, keyCode, modifiers & YEventFlag::kModifiers};
            Invoke(r, params);
        }
        return matched;
    }
};
