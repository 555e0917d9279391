// A window on the headless window system for driving controls with synthetic input: place a
// control, click, drag, press keys and type as a user would.
#pragma once

#include "foundation/YString.h"
#include "gui/toolkit/YWindow.h"
#include "gui/windows/YWindowSystemHeadless.h"

#include <gtest/gtest.h>

#include <string>

class ControlsFixture : public ::testing::Test {
protected:
    ControlsFixture() : root(&system, "root") {
        root.SetSize(400, 300);
        system.CreateNativeWindow(root, 0);
    }

    template <typename T> T* Place(T* control, YRect rect) {
        control->SetPosition(rect.left, rect.top);
        control->SetSize(rect.Width(), rect.Height());
        return control;
    }

    bool Mouse(int32_t code, YPoint p, uint32_t flags = 0, int32_t extra = 0) {
        return system.SendMouse(root, code, p, flags, extra);
    }
    // A press and release at one point (the button's flag while it is down).
    void Click(YPoint p, uint32_t modifiers = 0) {
        Mouse(YEventCode::kMouseMove, p, modifiers);
        Mouse(YEventCode::kLeftDown, p, modifiers | YEventFlag::kLeftButton);
        Mouse(YEventCode::kLeftUp, p, modifiers);
    }
    void DoubleClick(YPoint p, uint32_t modifiers = 0) {
        Click(p, modifiers);
        Mouse(YEventCode::kLeftDoubleClick, p, modifiers | YEventFlag::kLeftButton);
        Mouse(YEventCode::kLeftUp, p, modifiers);
    }
    void Drag(YPoint from, YPoint to, uint32_t modifiers = 0) {
        Mouse(YEventCode::kMouseMove, from, modifiers);
        Mouse(YEventCode::kLeftDown, from, modifiers | YEventFlag::kLeftButton);
        Mouse(YEventCode::kMouseMove, to, modifiers | YEventFlag::kLeftButton);
        Mouse(YEventCode::kLeftUp, to, modifiers);
    }
    bool Key(uint32_t keyCode, uint32_t modifiers = 0) {
        const bool handled = system.SendKey(root, YEventCode::kKeyDown, keyCode, modifiers);
        system.SendKey(root, YEventCode::kKeyUp, keyCode, modifiers);
        return handled;
    }
    void Type(const char* utf8) {
        const YString text = YString::FromUTF8(utf8);
        for (int32_t i = 0; i < text.Length(); ++i) system.SendCharacter(root, text[i]);
    }
    static std::string Utf8(const YString& s) { return s.ToUTF8(); }

    YWindowSystemHeadless system;
    YWindow root;
};
