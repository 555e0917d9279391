// Value converters: bind a GUI control to a variable and convert between the variable, a
// 0..1 control position and text in the unit the user expects.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Half-way cases go up (-2.5 -> -2), as every display rounding of the framework does.
double YRoundHalfUp(double value) noexcept;

// What a GUI definition may set on a converter; absent attributes leave the converter as it is.
struct YValueConfig {
    std::optional<YString> Id;
    std::optional<double> Min;
    std::optional<double> Max;
    std::optional<double> Default;
    std::optional<double> Value;
    std::optional<double> Inc;
    std::optional<double> MaxInc;
    std::optional<YString> Format;

    // Reads "id", "min", "max", "default", "value", "inc", "maxinc" and "format"; a number attribute
    // that does not hold a number counts as absent.
    static YValueConfig FromItem(const YXMLItem& item);
    // A number, or nothing for text that does not start with one.
    static std::optional<double> ParseNumber(const YString& text);
};

class YValue {
public:
    using TextCallback = std::function<YString(const YValue& value)>;

    YValue(double min, double max, double def);
    YValue(const YValue&) = delete;
    YValue& operator=(const YValue&) = delete;
    virtual ~YValue();

    // The bound variable as a double. Set limits to Min..Max, ignores NaN and marks the
    // converter changed when the variable changes.
    virtual double Get() const = 0;
    virtual void Set(double value) = 0;

    virtual YString ToText() const;                     // the plain value, 6 decimals
    virtual void FromText(const YString& text);         // reads ToText's form
    virtual bool ResetToDefault();                      // whether the variable changed
    virtual YString StoredText() const;                 // persistent form: 12 decimals
    virtual void LoadStoredText(const YString& text);   // unreadable text leaves the value
    virtual void Configure(const YValueConfig& config); // from a GUI definition
    virtual YString GetDisplayText() const;             // the callback when set, else FormatDisplay
    virtual YString FormatDisplay() const;              // the unit's display text
    virtual void ParseDisplay(const YString& text);     // typed display text
    virtual double GetPosition() const;                 // 0..1 across Min..Max
    virtual void SetPosition(double position);

    // Persistent storage in an XML attribute; an absent attribute leaves the value unchanged.
    virtual void StoreValue(YXMLItem& item, const YString& name) const;
    virtual void LoadValue(const YXMLItem& item, const YString& name);
    // Both directions under the converter's id: storing writes, otherwise reads.
    void Store(bool storing, YXMLItem& item);
    // Configuration from the converter's GUI definition item.
    void ConfigureFrom(const YXMLItem& item) { Configure(YValueConfig::FromItem(item)); }

    const YString& Id() const { return Target().m_id; }
    double Min() const { return Target().m_min; }
    double Max() const { return Target().m_max; }
    double Default() const { return Target().m_default; }
    double Inc() const { return Target().m_inc; }
    double MaxInc() const { return Target().m_maxInc; }
    const YString& Format() const { return Target().m_format; }
    void SetFormat(const YString& format) { Target().m_format = format; }
    void SetLimits(double min, double max, double def);
    void SetTextCallback(TextCallback callback) { Target().m_callback = std::move(callback); }
    bool IsChanged() const { return Target().m_changed; }
    void ClearChanged() { Target().m_changed = false; }

    // The converter that holds the settings: itself, or the converter a scale wraps.
    virtual YValue& Target() { return *this; }
    virtual const YValue& Target() const { return *this; }

protected:
    // Limits and NaN rule of Set; returns false when the value is to be ignored.
    bool Limit(double& value) const;
    void MarkChanged() { Target().m_changed = true; }

private:
    YString m_id;
    double m_min;
    double m_max;
    double m_default;
    double m_inc = 0.01;
    double m_maxInc = 0.1;
    YString m_format;
    TextCallback m_callback;
    bool m_changed = false;
};

// A number variable (double, float, int32_t, int64_t); integers take the value rounded half up.
template <typename T> class YValueNumber : public YValue {
public:
    explicit YValueNumber(T& variable, double min = 0.0, double max = 1.0, double def = 0.0)
        : YValue(min, max, def), m_variable(variable) {}

    double Get() const override { return static_cast<double>(m_variable); }
    void Set(double value) override;
    YString ToText() const override;
    YString StoredText() const override;
    YString FormatDisplay() const override;

protected:
    T& m_variable;
};

extern template class YValueNumber<double>;
extern template class YValueNumber<float>;
extern template class YValueNumber<int32_t>;
extern template class YValueNumber<int64_t>;

// A double that moves in steps of Inc from Min.
class YValueStepDouble : public YValueNumber<double> {
public:
    using YValueNumber<double>::YValueNumber;
    void Set(double value) override;
};

// A fraction shown in percent: "50.0%", below 0.01 with two decimals ("0.50%").
template <typename T> class YValuePercentsT : public YValueNumber<T> {
public:
    using YValueNumber<T>::YValueNumber;
    YString FormatDisplay() const override { return Text(this->Get()); }
    void ParseDisplay(const YString& text) override;
    static YString Text(double fraction);
};
using YValuePercents = YValuePercentsT<double>;
using YValuePercentsF = YValuePercentsT<float>;
extern template class YValuePercentsT<double>;
extern template class YValuePercentsT<float>;

class YValueStepPercents : public YValuePercents {
public:
    using YValuePercents::YValuePercents;
    void Set(double value) override;
};

// Seconds shown in milliseconds ("0.80 ms", "12 ms").
class YValueTimeMS : public YValueNumber<double> {
public:
    using YValueNumber<double>::YValueNumber;
    YString FormatDisplay() const override { return Text(Get()); }
    void ParseDisplay(const YString& text) override;
    static YString Text(double seconds);
};

// A linear gain shown in decibels, or "silence".
class YValueVolume : public YValueNumber<double> {
public:
    using YValueNumber<double>::YValueNumber;
    YString FormatDisplay() const override { return Text(Get()); }
    void ParseDisplay(const YString& text) override;
    static YString Text(double gain);
};

// Hz shown with a precision that suits the magnitude ("440 Hz", "1.5 kHz").
class YValueFrequency : public YValueNumber<double> {
public:
    using YValueNumber<double>::YValueNumber;
    YString FormatDisplay() const override { return Text(Get()); }
    void ParseDisplay(const YString& text) override;
    static YString Text(double hz);
    // Hz from typed text; a "k" after the number means kHz. Nothing for text without a number.
    static std::optional<double> Parse(const YString& text);
};

class YValueFrequencyLinear : public YValueFrequency {
public:
    using YValueFrequency::YValueFrequency;
};

// A frequency whose control position is logarithmic, as the ear hears it.
class YValueFrequencyLog : public YValueFrequency {
public:
    using YValueFrequency::YValueFrequency;
    double GetPosition() const override;
    void SetPosition(double position) override;
};

// -1..1 shown as "center", "25% left", "40% right".
class YValuePan : public YValueNumber<double> {
public:
    using YValueNumber<double>::YValueNumber;
    YString FormatDisplay() const override { return Text(Get()); }
    void ParseDisplay(const YString& text) override;
    static YString Text(double pan);
};

// Semitones with an explicit sign and two decimals.
class YValuePitch : public YValueNumber<double> {
public:
    YValuePitch(double& variable, double min = -12.0, double max = 12.0, double def = 0.0);
};

// A MIDI note number shown as its name and octave ("C5" for 60).
class YValueMIDINote : public YValueNumber<int32_t> {
public:
    YValueMIDINote(int32_t& variable, double min = 0.0, double max = 127.0, double def = 60.0)
        : YValueNumber<int32_t>(variable, min, max, def) {}
    YString FormatDisplay() const override { return Text(static_cast<int32_t>(Get())); }
    void ParseDisplay(const YString& text) override;
    static YString Text(int32_t note);
};

// A fraction of a cycle shown in degrees with the percentage ("90° (25.0%)").
class YValueDegreesFrom01 : public YValueNumber<double> {
public:
    using YValueNumber<double>::YValueNumber;
    YString FormatDisplay() const override { return Text(Get()); }
    void ParseDisplay(const YString& text) override;
    static YString Text(double cycles);
};

// An index into a name table; stored by name.
class YValueNameTable : public YValue {
public:
    YValueNameTable(int32_t count, int32_t def);
    YString ToText() const override;
    void FromText(const YString& text) override;
    YString StoredText() const override;
    void LoadStoredText(const YString& text) override;
    YString FormatDisplay() const override;
    void ParseDisplay(const YString& text) override;

    int32_t Count() const { return m_count; }
    virtual YString Name(int32_t index) const = 0;
    // The index of the exactly equal name, or -1.
    int32_t Find(const YString& name) const;

protected:
    int32_t m_count;
};

// An enumeration variable with its type's name table.
template <typename E> class YValueEnum : public YValueNameTable {
public:
    YValueEnum(E& variable, const char* const* names, int32_t count, E def = E())
        : YValueNameTable(count, static_cast<int32_t>(def)), m_variable(variable), m_names(names) {}
    double Get() const override { return static_cast<double>(static_cast<int32_t>(m_variable)); }
    void Set(double value) override {
        if (!Limit(value)) return;
        E e = static_cast<E>(static_cast<int32_t>(YRoundHalfUp(value)));
        if (e != m_variable) MarkChanged();
        m_variable = e;
    }
    YString Name(int32_t index) const override {
        return index >= 0 && index < m_count ? YString::Literal(m_names[index]) : YString();
    }

private:
    E& m_variable;
    const char* const* m_names;
};

// An index into a list of texts.
class YValueList : public YValueNameTable {
public:
    YValueList(int32_t& index, std::vector<YString> entries, int32_t def = 0);
    double Get() const override { return m_index; }
    void Set(double value) override;
    YString Name(int32_t index) const override;

private:
    int32_t& m_index;
    std::vector<YString> m_entries;
};

// A converter whose control position is a power of the wrapped converter's position, so that
// a control moves finely near the lower end of the range. Everything else is the wrapped
// converter's.
class YValueScale : public YValue {
public:
    YValueScale(std::unique_ptr<YValue> inner, double power);
    double Get() const override { return m_inner->Get(); }
    void Set(double value) override { m_inner->Set(value); }
    YString ToText() const override { return m_inner->ToText(); }
    void FromText(const YString& text) override { m_inner->FromText(text); }
    bool ResetToDefault() override { return m_inner->ResetToDefault(); }
    YString StoredText() const override { return m_inner->StoredText(); }
    void LoadStoredText(const YString& text) override { m_inner->LoadStoredText(text); }
    void Configure(const YValueConfig& config) override { m_inner->Configure(config); }
    void StoreValue(YXMLItem& item, const YString& name) const override { m_inner->StoreValue(item, name); }
    void LoadValue(const YXMLItem& item, const YString& name) override { m_inner->LoadValue(item, name); }
    YString GetDisplayText() const override { return m_inner->GetDisplayText(); }
    YString FormatDisplay() const override { return m_inner->FormatDisplay(); }
    void ParseDisplay(const YString& text) override { m_inner->ParseDisplay(text); }
    double GetPosition() const override;
    void SetPosition(double position) override;
    YValue& Inner() { return *m_inner; }
    YValue& Target() override { return m_inner->Target(); }
    const YValue& Target() const override { return m_inner->Target(); }

private:
    std::unique_ptr<YValue> m_inner;
    double m_power;
};

class YValueScaleSqr : public YValueScale {
public:
    explicit YValueScaleSqr(std::unique_ptr<YValue> inner) : YValueScale(std::move(inner), 2.0) {}
};

class YValueScalePower : public YValueScale {
public:
    explicit YValueScalePower(std::unique_ptr<YValue> inner) : YValueScale(std::move(inner), 4.0) {}
};
