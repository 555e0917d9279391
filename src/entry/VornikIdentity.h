// Who the plug-in says it is, to hosts and to sibling modules.
#pragma once

#include <cstdint>

namespace VornikIdentity {

inline constexpr char kProductName[] = "Vornik";
inline constexpr char kVendorName[] = "Quenlor";
inline constexpr char kModuleName[] = "Quenlor Vornik";
// 'QnVk': the first character in the most significant byte.
inline constexpr int32_t kVst2UniqueID = ('Q' << 24) | ('n' << 16) | ('V' << 8) | 'k';
// The AEffect version field and the vendor version.
inline constexpr int32_t kVst2Version = 1;
// Size hint handed to the editor's top window.
inline constexpr int32_t kEditorWidth = 500;
inline constexpr int32_t kEditorHeight = 100;

} // namespace VornikIdentity
