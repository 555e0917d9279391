// The registration functions of the control factories, one per family of controls. The
// loader calls each once when it fills its registry, after the placeholders: a factory
// registered here replaces the placeholder of its element name.
#pragma once

// "control", "panel", "container": the toolkit's plain controls.
void YRegisterPlainControlCreators();

// The general controls of gui/controls: buttons, check boxes, edits, lists, trees, menus,
// scroll bars and the rest of the element table's controls.
void YRegisterGeneralControlCreators();
