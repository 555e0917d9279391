// The registration functions of the control factories, one per family of controls. The
// loader calls each once when it fills its registry, after the placeholders: a factory
// registered here replaces the placeholder of its element name.
#pragma once

// "control", "panel", "container": the toolkit's plain controls.
void YRegisterPlainControlCreators();
