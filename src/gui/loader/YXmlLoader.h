// YControl::YXmlLoader: turns a GUI definition (XML) into controls, layouts and value
// converters. Each element name maps to a factory in one process-wide registry; the created
// object reads its own attributes from the element.
//
// Loading the children of an element into a control: each child element in document order is
// looked up (names ignore ASCII case; unknown names are skipped) and its factory called.
//   - a control element creates the control under the control, lets it read its element
//     (YControl::Load: the common attributes, then its own) and loads the element's children
//     into it; then, when the level asks for it and the control did not make itself its
//     parent's client control ("clientlayout"), the control joins the parent's most recently
//     created layout, which reads the per-child attributes ("space", "hspan", "target"...);
//   - a layout element creates the layout on the control (it becomes the control's newest
//     layout), lets it read its attributes, then loads the element's children into the same
//     control, so that each control created there lands in this layout.
//
// Writing a factory for a control class (gui/loader/controls): register
// `Control<YMyControl>` under its element name in a registration function listed in
// gui/loader/controls/YControlCreators.h. The control's class reads its particular
// attributes in its Load override; a factory of its own is needed only for a control that is
// not made with (parent, id), or that reads child elements such as "value".
//
// The registry is filled once, on first use, and may be used from any thread after that;
// registering more factories (tests, plug-ins of the toolkit) is for the GUI thread before
// loading.
#pragma once

#include "core/YValue.h"
#include "foundation/YString.h"
#include "foundation/YXMLItem.h"
#include "gui/toolkit/YControl.h"
#include "gui/toolkit/YLayout.h"

#include <cstdint>
#include <memory>
#include <type_traits>

class YControl::YXmlLoader {
public:
    // The registry's buckets: a name's bucket is Hash(name) mod kBuckets.
    static constexpr int32_t kBuckets = 32;
    // Definitions nested deeper than this are refused: the loader, the tree it builds and its
    // painting all recurse once per level.
    static constexpr int32_t kMaxDepth = 256;

    // Makes a control or a layout from an element.
    class Creator {
    public:
        virtual ~Creator() = default;
        // Creates the element's object on parent; addToLayout: a created control joins
        // parent's most recently created layout.
        virtual void Create(YControl& parent, const YXMLItem& element, bool addToLayout) const = 0;
    };

    // Creates a T (a control class constructed with (parent, id)).
    template <class T> class Control : public Creator {
    public:
        void Create(YControl& parent, const YXMLItem& element, bool addToLayout) const override {
            static_assert(std::is_base_of_v<YControl, T>);
            T* control = new T(&parent, YString()); // owned by parent from here on
            FinishControl(parent, *control, element, addToLayout);
        }
    };

    // Creates a T (a layout class constructed with its owner).
    template <class T> class Layout : public Creator {
    public:
        void Create(YControl& parent, const YXMLItem& element, bool) const override {
            static_assert(std::is_base_of_v<YLayout, T>);
            T* layout = new T(parent); // registers with parent, which owns it
            FinishLayout(parent, *layout, element);
        }
    };

    // Makes a value converter from an element.
    class ValueCreator {
    public:
        virtual ~ValueCreator() = default;
        virtual std::unique_ptr<YValue> Create(const YXMLItem& element) const = 0;
    };

    // Creates a V (a value converter class over a variable of type T, constructed with the
    // variable, min, max and default), which owns its variable, configured from the element
    // ("id", "min", "max", "default", "value", "inc", "maxinc", "format").
    template <class V, class T = double> class Value : public ValueCreator {
    public:
        Value(double min = 0.0, double max = 1.0, double def = 0.0) : m_min(min), m_max(max), m_def(def) {}
        std::unique_ptr<YValue> Create(const YXMLItem& element) const override {
            auto value = std::make_unique<Owned>(m_min, m_max, m_def);
            value->ConfigureFrom(element);
            return value;
        }

    private:
        struct Storage {
            T variable{};
        };
        // The variable lives in a base constructed before the converter that refers to it.
        class Owned : private Storage, public V {
        public:
            Owned(double min, double max, double def) : Storage(), V(Storage::variable, min, max, def) {}
        };
        double m_min, m_max, m_def;
    };

    // The bucket hash: A-Z fold to lower case; names shorter than 16 characters xor each
    // character shifted left by its index mod 32, longer names xor min(length / 4, 8) samples
    // taken every fourth character, the k-th shifted left by 4k.
    static uint32_t Hash(const YString& name) noexcept;

    // Adds or replaces the factory of an element name.
    static void Register(const YString& name, std::unique_ptr<Creator> creator);
    static void RegisterValue(const YString& name, std::unique_ptr<ValueCreator> creator);
    // The factory of a name (ASCII case ignored), nullptr when none.
    static const Creator* FindCreator(const YString& name);
    static const ValueCreator* FindValueCreator(const YString& name);

    // Loads the child elements of element into control (see the top of the file). Raises
    // "GUI definition nested deeper than {0} levels." past kMaxDepth; the attribute errors of
    // the created objects leave it as they are.
    static void LoadChildren(YControl& control, const YXMLItem& element, bool addToLayout);
    // A whole definition: root reads the attributes of the definition's root element, then
    // its children are loaded into it (without adding to layouts at that level).
    static void LoadDefinition(YControl& root, const YXMLItem& definition);
    // The converter of the first child element of element that names a value class, nullptr
    // when there is none (for the "value" and "maxvalue" elements of value controls).
    static std::unique_ptr<YValue> CreateValue(const YXMLItem& element);

    // The steps after constructing, for factories of their own: a control reads its element,
    // loads its children and joins the layout; a layout reads its element and loads the
    // children into parent.
    static void FinishControl(YControl& parent, YControl& control, const YXMLItem& element, bool addToLayout);
    static void FinishLayout(YControl& parent, YLayout& layout, const YXMLItem& element);
};
