#include "core/YValue.h"

#include "foundation/YFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

double YRoundHalfUp(double value) noexcept {
    double whole = std::floor(value);
    return value - whole >= 0.5 ? whole + 1.0 : whole;
}

std::optional<double> YValueConfig::ParseNumber(const YString& text) {
    int32_t consumed = 0;
    double value = text.Trimmed().ToDouble(&consumed);
    if (consumed == 0 || !std::isfinite(value)) return std::nullopt;
    return value;
}

YValueConfig YValueConfig::FromItem(const YXMLItem& item) {
    YValueConfig c;
    auto text = [&](const char* name) -> std::optional<YString> {
        const YString* value = item.FindAttribute(YString::Literal(name));
        if (value == nullptr) return std::nullopt;
        return *value;
    };
    auto number = [&](const char* name) -> std::optional<double> {
        std::optional<YString> t = text(name);
        if (!t) return std::nullopt;
        return ParseNumber(*t);
    };
    c.Id = text("id");
    c.Min = number("min");
    c.Max = number("max");
    c.Default = number("default");
    c.Value = number("value");
    c.Inc = number("inc");
    c.MaxInc = number("maxinc");
    c.Format = text("format");
    return c;
}

namespace {

// Integers that fit a double exactly; anything beyond is limited so that casts stay defined.
constexpr double kIntegerLimit = 9007199254740992.0;

int64_t ToInt64(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int64_t>(std::clamp(value, -kIntegerLimit, kIntegerLimit));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// YValue

YValue::YValue(double min, double max, double def) : m_min(min), m_max(max), m_default(def) {}

YValue::~YValue() = default;

void YValue::SetLimits(double min, double max, double def) {
    YValue& t = Target();
    t.m_min = min;
    t.m_max = max;
    t.m_default = def;
}

bool YValue::Limit(double& value) const {
    if (std::isnan(value)) return false;
    double lo = std::min(Min(), Max());
    double hi = std::max(Min(), Max());
    value = std::clamp(value, lo, hi);
    return true;
}

YString YValue::ToText() const { return YString::FromDouble(Get(), 6); }

void YValue::FromText(const YString& text) {
    if (std::optional<double> v = YValueConfig::ParseNumber(text)) Set(*v);
}

bool YValue::ResetToDefault() {
    double before = Get();
    Set(Default());
    return Get() != before;
}

YString YValue::StoredText() const { return YString::FromDouble(Get(), 12); }

void YValue::LoadStoredText(const YString& text) {
    if (std::optional<double> v = YValueConfig::ParseNumber(text)) Set(*v);
}

void YValue::StoreValue(YXMLItem& item, const YString& name) const { item.SetAttribute(name, StoredText()); }

void YValue::LoadValue(const YXMLItem& item, const YString& name) {
    if (const YString* text = item.FindAttribute(name)) LoadStoredText(*text);
}

void YValue::Store(bool storing, YXMLItem& item) {
    if (storing)
        StoreValue(item, Id());
    else
        LoadValue(item, Id());
}

void YValue::Configure(const YValueConfig& config) {
    YValue& t = Target();
    if (config.Id) t.m_id = *config.Id;
    if (config.Min) t.m_min = *config.Min;
    if (config.Max) t.m_max = *config.Max;
    if (config.Default) t.m_default = *config.Default;
    if (config.Inc) t.m_inc = *config.Inc;
    if (config.MaxInc) t.m_maxInc = *config.MaxInc;
    if (config.Format) t.m_format = *config.Format;
    if (config.Value) Set(*config.Value);
}

YString YValue::GetDisplayText() const {
    const YValue& t = Target();
    if (t.m_callback) return t.m_callback(*this);
    return FormatDisplay();
}

YString YValue::FormatDisplay() const { return ToText(); }

void YValue::ParseDisplay(const YString& text) { FromText(text); }

double YValue::GetPosition() const {
    double range = Max() - Min();
    if (range == 0.0 || !std::isfinite(range)) return 0.0;
    double p = (Get() - Min()) / range;
    return std::isnan(p) ? 0.0 : std::clamp(p, 0.0, 1.0);
}

void YValue::SetPosition(double position) {
    if (std::isnan(position)) return;
    position = std::clamp(position, 0.0, 1.0);
    Set(Min() + position * (Max() - Min()));
}

// ---------------------------------------------------------------------------------------------
// Numbers

template <typename T> void YValueNumber<T>::Set(double value) {
    if (!this->Limit(value)) return;
    T v;
    if constexpr (std::is_integral_v<T>) {
        value = YRoundHalfUp(value);
        value = std::clamp(value, static_cast<double>(std::numeric_limits<T>::min()),
                           static_cast<double>(std::numeric_limits<T>::max()));
        v = static_cast<T>(ToInt64(value));
    } else {
        v = static_cast<T>(value);
    }
    if (v != m_variable) this->MarkChanged();
    m_variable = v;
}

template <typename T> YString YValueNumber<T>::ToText() const {
    if constexpr (std::is_integral_v<T>) return YString::FromInteger(static_cast<int64_t>(m_variable));
    return YString::FromDouble(static_cast<double>(m_variable), 6);
}

template <typename T> YString YValueNumber<T>::StoredText() const {
    if constexpr (std::is_integral_v<T>) return YString::FromInteger(static_cast<int64_t>(m_variable));
    return YString::FromDouble(static_cast<double>(m_variable), 12);
}

template <typename T> YString YValueNumber<T>::FormatDisplay() const {
    if (this->Format().IsEmpty()) return ToText();
    if constexpr (std::is_integral_v<T>)
        return YFormat::Text(this->Format(), static_cast<int64_t>(m_variable));
    return YFormat::Text(this->Format(), static_cast<double>(m_variable));
}

template class YValueNumber<double>;
template class YValueNumber<float>;
template class YValueNumber<int32_t>;
template class YValueNumber<int64_t>;

namespace {

double Stepped(const YValue& v, double value) {
    double inc = v.Inc();
    if (!(inc > 0.0) || std::isnan(value)) return value;
    return v.Min() + YRoundHalfUp((value - v.Min()) / inc) * inc;
}

} // namespace

void YValueStepDouble::Set(double value) { YValueNumber<double>::Set(Stepped(*this, value)); }

void YValueStepPercents::Set(double value) { YValuePercents::Set(Stepped(*this, value)); }

// ---------------------------------------------------------------------------------------------
// Unit displays

template <typename T> YString YValuePercentsT<T>::Text(double fraction) {
    double percent = fraction * 100.0;
    return YFormat::Text(std::fabs(fraction) < 0.01 ? YString("{0.2}%") : YString("{0.1}%"), percent);
}

template <typename T> void YValuePercentsT<T>::ParseDisplay(const YString& text) {
    if (std::optional<double> v = YValueConfig::ParseNumber(text)) this->Set(*v * 0.01);
}

template class YValuePercentsT<double>;
template class YValuePercentsT<float>;

YString YValueTimeMS::Text(double seconds) {
    if (std::fabs(seconds) < 1e-50) return YString("0 ms");
    double ms = seconds * 1000.0;
    double a = std::fabs(seconds);
    YString number;
    if (a < 0.0001)
        number = YString::FromDouble(ms, 3);
    else if (a < 0.001)
        number = YString::FromDouble(ms, 2);
    else if (a < 0.01)
        number = YString::FromDouble(ms, 1);
    else
        number = YString::FromInteger(ToInt64(YRoundHalfUp(ms)));
    return number + YString(" ms");
}

void YValueTimeMS::ParseDisplay(const YString& text) {
    if (std::optional<double> v = YValueConfig::ParseNumber(text)) Set(*v * 0.001);
}

YString YValueVolume::Text(double gain) {
    if (std::fabs(gain) < 1e-50) return YString("silence");
    double db = 20.0 * std::log10(std::fabs(gain));
    return YFormat::Text(std::fabs(db) < 10.0 ? YString("{0;.2} dB") : YString("{0;.1} dB"), db);
}

void YValueVolume::ParseDisplay(const YString& text) {
    if (text.Trimmed() == YString("silence")) {
        Set(0.0);
        return;
    }
    if (std::optional<double> v = YValueConfig::ParseNumber(text)) Set(std::pow(10.0, *v * 0.05));
}

YString YValueFrequency::Text(double hz) {
    if (hz < 1e-5) return YString("0 Hz");
    if (hz < 1.0) return YFormat::Text("{0;.4} Hz", hz);
    if (hz < 10.0) return YFormat::Text("{0;.2} Hz", hz);
    if (hz < 100.0) return YFormat::Text("{0;.1} Hz", hz);
    if (hz < 10000.0) return YFormat::Text("{0} Hz", ToInt64(YRoundHalfUp(hz)));
    return YFormat::Text("{0;.1} kHz", hz * 0.001);
}

std::optional<double> YValueFrequency::Parse(const YString& text) {
    YString t = text.Trimmed();
    int32_t consumed = 0;
    double hz = t.ToDouble(&consumed);
    if (consumed == 0 || !std::isfinite(hz)) return std::nullopt;
    // What the display writes must read back: "12.5 kHz" is 12500 Hz.
    YString unit = t.Substring(consumed).Trimmed();
    if (!unit.IsEmpty() && (unit[0] == u'k' || unit[0] == u'K')) hz *= 1000.0;
    return hz;
}

void YValueFrequency::ParseDisplay(const YString& text) {
    if (std::optional<double> v = Parse(text)) Set(*v);
}

double YValueFrequencyLog::GetPosition() const {
    if (!(Min() > 0.0) || !(Max() > Min())) return YValueFrequency::GetPosition();
    double v = Get();
    if (!(v > 0.0)) return 0.0;
    double p = std::log(v / Min()) / std::log(Max() / Min());
    return std::isnan(p) ? 0.0 : std::clamp(p, 0.0, 1.0);
}

void YValueFrequencyLog::SetPosition(double position) {
    if (!(Min() > 0.0) || !(Max() > Min())) {
        YValueFrequency::SetPosition(position);
        return;
    }
    if (std::isnan(position)) return;
    position = std::clamp(position, 0.0, 1.0);
    Set(Min() * std::pow(Max() / Min(), position));
}

YString YValuePan::Text(double pan) {
    if (!(std::fabs(pan) >= 1e-50)) return YString("center"); // NaN included
    if (pan < 0.0) return YFormat::Text("{0}% left", ToInt64(std::trunc(-pan * 100.0)));
    return YFormat::Text("{0}% right", ToInt64(std::trunc(pan * 100.0)));
}

void YValuePan::ParseDisplay(const YString& text) {
    YString t = text.Trimmed();
    if (t == YString("center")) {
        Set(0.0);
        return;
    }
    std::optional<double> v = YValueConfig::ParseNumber(t);
    if (!v) return;
    double pan = *v * 0.01;
    if (t.Find(YString("left")) >= 0) pan = -std::fabs(pan);
    Set(pan);
}

YValuePitch::YValuePitch(double& variable, double min, double max, double def)
    : YValueNumber<double>(variable, min, max, def) {
    SetFormat("{0;+.02}");
}

namespace {

const char* const kNoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

} // namespace

YString YValueMIDINote::Text(int32_t note) {
    int64_t n = note;
    int64_t octave = n >= 0 ? n / 12 : -((11 - n) / 12);
    int64_t step = n - octave * 12;
    return YString::Literal(kNoteNames[step]) + YString::FromInteger(octave);
}

void YValueMIDINote::ParseDisplay(const YString& text) {
    YString t = text.Trimmed();
    // Longest name first, so that "C#" is not read as "C".
    int32_t best = -1;
    int32_t bestLength = 0;
    for (int32_t i = 0; i < 12; ++i) {
        YString name = YString::Literal(kNoteNames[i]);
        if (name.Length() > bestLength && t.Substring(0, name.Length()) == name) {
            best = i;
            bestLength = name.Length();
        }
    }
    if (best < 0) {
        if (std::optional<double> v = YValueConfig::ParseNumber(t)) Set(*v);
        return;
    }
    int32_t consumed = 0;
    int64_t octave = t.Substring(bestLength).ToInteger(10, &consumed);
    if (consumed == 0) return;
    Set(static_cast<double>(octave) * 12.0 + best);
}

YString YValueDegreesFrom01::Text(double cycles) {
    YString degree = YString::FromUTF16(u"\u00B0");
    if (std::fabs(cycles) < 1e-50) return YString("0") + degree + YString(" (0%)");
    return YFormat::Text("{0}{1} ({2.1}%)", ToInt64(YRoundHalfUp(cycles * 360.0)), degree, cycles * 100.0);
}

void YValueDegreesFrom01::ParseDisplay(const YString& text) {
    if (std::optional<double> v = YValueConfig::ParseNumber(text)) Set(*v / 360.0);
}

// ---------------------------------------------------------------------------------------------
// Name tables

YValueNameTable::YValueNameTable(int32_t count, int32_t def)
    : YValue(0.0, std::max(count - 1, 0), def), m_count(std::max(count, 0)) {}

YString YValueNameTable::ToText() const { return YString::FromInteger(ToInt64(Get())); }

void YValueNameTable::FromText(const YString& text) {
    int32_t consumed = 0;
    int64_t v = text.Trimmed().ToInteger(10, &consumed);
    if (consumed > 0) Set(static_cast<double>(v));
}

YString YValueNameTable::StoredText() const { return Name(static_cast<int32_t>(Get())); }

void YValueNameTable::LoadStoredText(const YString& text) {
    int32_t i = Find(text);
    if (i >= 0)
        Set(i);
    else
        FromText(text); // older stores kept the index
}

YString YValueNameTable::FormatDisplay() const { return Name(static_cast<int32_t>(Get())); }

void YValueNameTable::ParseDisplay(const YString& text) {
    int32_t i = Find(text);
    if (i >= 0) Set(i);
}

int32_t YValueNameTable::Find(const YString& name) const {
    for (int32_t i = 0; i < m_count; ++i)
        if (Name(i) == name) return i;
    return -1;
}

YValueList::YValueList(int32_t& index, std::vector<YString> entries, int32_t def)
    : YValueNameTable(static_cast<int32_t>(entries.size()), def), m_index(index),
      m_entries(std::move(entries)) {}

void YValueList::Set(double value) {
    if (m_count == 0 || !Limit(value)) return;
    int32_t i = static_cast<int32_t>(YRoundHalfUp(value));
    if (i != m_index) MarkChanged();
    m_index = i;
}

YString YValueList::Name(int32_t index) const {
    return index >= 0 && index < m_count ? m_entries[static_cast<size_t>(index)] : YString();
}

// ---------------------------------------------------------------------------------------------
// Scales

YValueScale::YValueScale(std::unique_ptr<YValue> inner, double power)
    : YValue(0.0, 1.0, 0.0), m_inner(std::move(inner)), m_power(power) {}

double YValueScale::GetPosition() const { return std::pow(m_inner->GetPosition(), 1.0 / m_power); }

void YValueScale::SetPosition(double position) {
    if (std::isnan(position)) return;
    m_inner->SetPosition(std::pow(std::clamp(position, 0.0, 1.0), m_power));
}
