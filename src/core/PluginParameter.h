// PluginParameter: the fixed record that defines one effect parameter, and the arithmetic that
// maps it to the host's normalised 0..1 range and to text.
#pragma once

#include "foundation/YString.h"

#include <cstdint>

class YParameterSpecialObject;
class YXMLItem;
struct PluginParameter;

enum ParameterKind : uint32_t {
    kParameterNone = 0,
    kParameterFloat = 1,
    kParameterInteger = 2,
    kParameterEnum = 3,
    kParameterBool = 4,
    kParameterGroup = 5,
    kParameterSpecial = 6,
    kParameterNoneAlt = 7,
};

// How the host's 0..1 maps onto Min..Max: a shaped mapping gives finer control near Min.
enum ParameterShape : int32_t {
    kShapeLinear = 0,
    kShapeSquare = 1,
    kShapeFourth = 2,
};

// (output text, record, input text): an empty input asks for the text of Value; any other input
// is parsed into Value and the output is left empty.
using ParameterTextFunction = void (*)(YString& out, PluginParameter& record, const YString& input);

// The one random source of all parameters. Races between threads only reorder draws, so it
// takes no lock; the atomic merely keeps each step whole.
class YSharedRandom {
public:
    static void Seed(uint32_t state) noexcept;
    static uint32_t State() noexcept;
    // Steps the state (state * 214013 + 2531011) and returns ((state >> 16) & 0x7FFF) / 32767.
    static double Next() noexcept;
    // Steps the state and returns bit 16 of the new state.
    static bool NextBit() noexcept;
    // Steps the state and returns the whole new state.
    static uint32_t NextState() noexcept;
};

struct PluginParameter {
    // Flags A.
    static constexpr uint8_t kPublish = 0x01;
    static constexpr uint8_t kDefined = 0x02;
    static constexpr uint8_t kInterpolable = 0x08;
    static constexpr uint8_t kHold = 0x10;
    static constexpr uint8_t kMarkOwner = 0x20;
    static constexpr uint8_t kRandomizable = 0x40;
    // Flags B.
    static constexpr uint8_t kRoundRandom = 0x40;

    uint8_t FlagsA = kPublish | kMarkOwner | kRandomizable;
    uint8_t FlagsB = 0x05;
    uint8_t FlagsC = 0x04;
    ParameterKind Kind = kParameterNone;
    YString Name;
    YString ID;
    YString Description; // STML help text
    YString LabelA;
    YString LabelB;
    int32_t Reserved32[2] = {};
    uint64_t Reserved64[2] = {};
    ParameterTextFunction TextFunction = nullptr;
    YString Format; // "{0}" is the value; empty shows the plain number
    uint64_t OwnerTag = 0;

    struct FloatData {
        double Min = 0.0;
        double Max = 1.0;
        double Default = 0.0;
        double Value = 0.0;
        double Shadow = 0.0;
        double Processing = 0.0; // what the processing loop last used; ramps start from it
        ParameterShape Shape = kShapeLinear;
    } Float;
    struct IntData {
        int32_t Min = 0;
        int32_t Max = 1;
        int32_t Default = 0;
        int32_t Value = 0;
        int32_t Shadow = 0;
    } Int;
    struct EnumData {
        const char* const* Names = nullptr;
        int32_t Count = 0;
        int32_t Default = 0;
        int32_t Value = 0;
    } Enum;
    struct BoolData {
        uint8_t Default = 0;
        uint8_t Value = 0;
    } Bool;
    struct GroupData {
        uint8_t* State = nullptr; // the switch lives outside the record
        uint8_t Default = 0;      // the switch's state when the record was defined
    } Group;
    struct SpecialData {
        YParameterSpecialObject* Object = nullptr;
    } Special;

    // Free for the effect and its editor (layout hints and the like); never read here.
    int32_t UserA = 0;
    int32_t UserB = 1;
    int32_t UserInts[6] = {};
    YString UserText;
    uint64_t UserWords[3] = {};

    // Definition: kind, names and limits; Value and the processing copy start at Default and
    // the record is marked as defined. Flags other than kDefined keep their values.
    void DefineFloat(const YString& id, const YString& name, double min, double max, double def,
                     ParameterShape shape = kShapeLinear);
    void DefineInteger(const YString& id, const YString& name, int32_t min, int32_t max, int32_t def);
    void DefineEnum(const YString& id, const YString& name, const char* const* names, int32_t count,
                    int32_t def);
    void DefineBool(const YString& id, const YString& name, bool def);
    void DefineGroup(const YString& id, const YString& name, uint8_t* state);
    void DefineSpecial(const YString& id, const YString& name, YParameterSpecialObject* object);

    bool IsHeld() const noexcept { return (FlagsA & kHold) != 0; }
    bool IsRandomizable() const noexcept { return (FlagsA & kRandomizable) != 0; }
    bool IsInterpolable() const noexcept { return (FlagsA & kInterpolable) != 0; }
    void SetFlagA(uint8_t bit, bool on) noexcept { FlagsA = on ? (FlagsA | bit) : (FlagsA & ~bit); }

    // What processing should use: the shadow value while a ramp holds the record.
    double EffectiveFloat() const noexcept { return IsHeld() ? Float.Shadow : Float.Value; }
    int32_t EffectiveInt() const noexcept { return IsHeld() ? Int.Shadow : Int.Value; }
    // Boolean and group-switch state (false for a group without its external byte).
    bool IsOn() const noexcept;

    // Normalised view of Value (0..1; 0 for a degenerate range).
    double GetNormalized() const noexcept;
    // Writes a host value into Value, or into the shadow value while held. Input outside 0..1 is
    // limited to it and NaN is ignored, so the record never leaves Min..Max.
    void SetNormalized(double normalized) noexcept;
    // The default in the same normalised form (0.5 for group switches, which keep no default).
    double GetDefaultNormalized() const noexcept;
    // Enters or leaves hold: the shadow starts from Value.
    void SetHold(bool on) noexcept;

    // Text of Value (custom function, Format, or the plain number / name / On-Off).
    void GetValueText(YString& out);
    // Parses text as the adapters do and returns the normalised result. A float with a text
    // function takes the parsed value into Value; other kinds parse on a copy.
    double ParseValueText(const YString& text);

    // Random change of the value by amount (0..1; 1 is a fresh value). Ignored unless the record
    // is randomisable or force is set.
    void Randomize(double amount, bool force = false) noexcept;

    // The record's value in a state tree as the attribute "parameter" + ID (enumerations also by
    // name in "parameter" + ID + "Enum"). Reading leaves the value when the attribute is absent
    // or unreadable and limits it to the record's range. Special records are stored by their
    // objects.
    void Store(bool storing, YXMLItem& item);
    void Load(const YXMLItem& item);

    // Limits Value to the record's range.
    void ClampValue() noexcept;
};

// Standard text functions for float records (internal units in brackets).
void ParameterTextPercent(YString& out, PluginParameter& record, const YString& input);   // fraction
void ParameterTextTime(YString& out, PluginParameter& record, const YString& input);      // seconds
void ParameterTextDryWet(YString& out, PluginParameter& record, const YString& input);    // -2..2
void ParameterTextFrequency(YString& out, PluginParameter& record, const YString& input); // log10 Hz
void ParameterTextDegrees(YString& out, PluginParameter& record, const YString& input);   // cycles
