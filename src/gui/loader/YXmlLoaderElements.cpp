// The vocabulary of GUI definitions: which element makes which layout, control or value
// converter.
#include "gui/loader/YPlaceholderControl.h"
#include "gui/loader/YXmlLoader.h"
#include "gui/loader/controls/YControlCreators.h"
#include "gui/toolkit/YStyle.h"
#include "gui/toolkit/layouts/YLayoutCorner.h"
#include "gui/toolkit/layouts/YLayoutGrid.h"
#include "gui/toolkit/layouts/YLayoutLinear.h"
#include "gui/toolkit/layouts/YLayoutOccupyBorder.h"
#include "gui/toolkit/layouts/YLayoutSide.h"
#include "gui/toolkit/layouts/YLayoutSwitch.h"
#include "platform/YThread.h"

#include <memory>
#include <string>

void YXmlLoaderRegisterElements();

namespace {

using Loader = YControl::YXmlLoader;

// Every control element, made as a placeholder until its family registers its class.
constexpr const char* kControlElements[] = {
    "control", "panel", "container", "static", "multilinestatic", "button", "repeaterbutton", "checkbox",
    "comboedit", "edit", "multilineedit", "tabset", "listbox", "treecontrol", "menubar", "progressbar",
    "scrollbar", "tracker", "rotator", "knob", "zoomer", "splitter", "switcher", "directorytree",
    "coloreditor", "colorselectbutton", "filelistbox", "fileselector", "grapheditor",
    "signalgeneratoreditor", "vector2deditor",
};

// An enumeration converter over a name table that lives as long as the program.
template <class E> class EnumValue : public Loader::ValueCreator {
public:
    EnumValue(const char* const* names, int32_t count) : m_names(names), m_count(count) {}
    std::unique_ptr<YValue> Create(const YXMLItem& element) const override {
        auto value = std::make_unique<Owned>(m_names, m_count);
        value->ConfigureFrom(element);
        return value;
    }

private:
    struct Storage {
        E variable{};
    };
    class Owned : private Storage, public YValueEnum<E> {
    public:
        Owned(const char* const* names, int32_t count) : Storage(), YValueEnum<E>(Storage::variable, names, count) {}
    };
    const char* const* m_names;
    int32_t m_count;
};

// The names of the thread priorities, as the platform spells them.
const char* const* ThreadPriorityNames() {
    static const auto* names = [] {
        static std::string texts[YThread::kPriorityCount];
        static const char* pointers[YThread::kPriorityCount];
        for (int32_t i = 0; i < YThread::kPriorityCount; ++i) {
            texts[i] = YThread::PriorityName(static_cast<YThread::Priority>(i)).ToUTF8();
            pointers[i] = texts[i].c_str();
        }
        return pointers;
    }();
    return names;
}

template <class E> void RegisterEnum(const char* name) {
    const YEnumNames& names = YEnumNamesOf<E>();
    Loader::RegisterValue(YString::Literal(name), std::make_unique<EnumValue<E>>(names.names, names.count));
}

void RegisterLayouts() {
    Loader::Register("grid", std::make_unique<Loader::Layout<YLayoutGrid>>());
    Loader::Register("top", std::make_unique<Loader::Layout<YLayoutTop>>());
    Loader::Register("left", std::make_unique<Loader::Layout<YLayoutLeft>>());
    Loader::Register("right", std::make_unique<Loader::Layout<YLayoutRight>>());
    Loader::Register("bottom", std::make_unique<Loader::Layout<YLayoutBottom>>());
    Loader::Register("corner", std::make_unique<Loader::Layout<YLayoutCorner>>());
    Loader::Register("vertical", std::make_unique<Loader::Layout<YLayoutVertical>>());
    Loader::Register("horizontal", std::make_unique<Loader::Layout<YLayoutHorizontal>>());
    Loader::Register("overlay", std::make_unique<Loader::Layout<YLayoutSwitch>>());
    Loader::Register("occupyborder", std::make_unique<Loader::Layout<YLayoutOccupyBorder>>());
}

void RegisterValues() {
    using Int32 = Loader::Value<YValueNumber<int32_t>, int32_t>;
    Loader::RegisterValue("int", std::make_unique<Int32>());
    Loader::RegisterValue("int32", std::make_unique<Int32>());
    Loader::RegisterValue("int64", std::make_unique<Loader::Value<YValueNumber<int64_t>, int64_t>>());
    // No 16-bit converter: the value is computed in 32 bits.
    Loader::RegisterValue("int16", std::make_unique<Int32>());
    Loader::RegisterValue("float", std::make_unique<Loader::Value<YValueNumber<float>, float>>());
    Loader::RegisterValue("double", std::make_unique<Loader::Value<YValueNumber<double>>>());
    Loader::RegisterValue("stepdouble", std::make_unique<Loader::Value<YValueStepDouble>>());
    Loader::RegisterValue("percents", std::make_unique<Loader::Value<YValuePercents>>(0.0, 1.0, 0.0));
    Loader::RegisterValue("frequency", std::make_unique<Loader::Value<YValueFrequency>>());
    Loader::RegisterValue("frequencylog", std::make_unique<Loader::Value<YValueFrequencyLog>>());
    Loader::RegisterValue("frequencylinear", std::make_unique<Loader::Value<YValueFrequencyLinear>>());
    Loader::RegisterValue("volume", std::make_unique<Loader::Value<YValueVolume>>());
    Loader::RegisterValue("panorama", std::make_unique<Loader::Value<YValuePan>>());
    Loader::RegisterValue("pitch", std::make_unique<Loader::Value<YValuePitch>>(-12.0, 12.0, 0.0));
    Loader::RegisterValue("timems", std::make_unique<Loader::Value<YValueTimeMS>>());
    Loader::RegisterValue("threadpriority",
                          std::make_unique<EnumValue<YThread::Priority>>(ThreadPriorityNames(), YThread::kPriorityCount));
    RegisterEnum<YStdIcon>("stdicon");
    RegisterEnum<YStdBitmap>("stdbitmap");
    RegisterEnum<YStdCursor>("stdcursor");
    RegisterEnum<YStdFont>("stdfont");
    RegisterEnum<YStdColor>("stdcolor");
    RegisterEnum<YControlType>("controltype");
    RegisterEnum<YCaptionType>("captiontype");
    RegisterEnum<YModalValue>("modalvalue");
    RegisterEnum<YCheckBoxState>("checkboxstate");
    // Enumerations without a name table in the program yet read as plain indices.
    for (const char* name : {"signalgeneratorshape", "horizontalobjectlayout", "verticalobjectlayout", "language",
                             "country"}) {
        Loader::RegisterValue(YString::Literal(name), std::make_unique<Int32>());
    }
}

} // namespace

void YXmlLoaderRegisterElements() {
    for (const char* name : kControlElements) {
        Loader::Register(YString::Literal(name), std::make_unique<YPlaceholderControl::Creator>(YString::Literal(name)));
    }
    RegisterLayouts();
    RegisterValues();
    YRegisterPlainControlCreators();
    YRegisterGeneralControlCreators();
}
