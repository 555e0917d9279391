// The VST 3 binary interface: identifiers, result codes, records and the interfaces a host and a
// plug-in exchange, declared with the published method order so that the vtables match. Pure
// declarations, no behaviour, so that our adapter and our test hosts build against one layout.
//
// Two platform differences matter:
//  - Identifiers: on Windows the 16 bytes of an interface or class ID follow the COM order
//    (first word little-endian, second word as two little-endian halves, high half first, the
//    last two words big-endian); everywhere else the four words are stored big-endian.
//  - Result codes: Windows uses the COM values (S_OK, E_NOINTERFACE, ...); other systems use
//    small integers.
// Records use the natural alignment of their members on both systems (the published headers
// ask for 16-byte packing on 64-bit Windows and none elsewhere, which changes nothing here);
// the tests pin every size and offset we rely on.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && defined(__i386__)
#define Y_VST3_CALL __stdcall
#else
// x86-64 has one calling convention.
#define Y_VST3_CALL
#endif

namespace Vst3 {

using int8 = int8_t;
using uint8 = uint8_t;
using int16 = int16_t;
using uint16 = uint16_t;
using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;
using tresult = int32_t;
using TBool = uint8_t;
using char8 = char;
using char16 = char16_t;
using TChar = char16_t;
using String128 = TChar[128];
using FIDString = const char8*;
using CString = const char8*;
using TUID = char[16];

using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;
using ParamValue = double;
using ParamID = uint32;
using ProgramListID = int32;
using CtrlNumber = int16;
using TQuarterNotes = double;
using TSamples = int64;
using Sample32 = float;
using Sample64 = double;
using SampleRate = double;
using SpeakerArrangement = uint64;
using KnobMode = int32;

#if defined(_WIN32)
constexpr bool kComCompatible = true;
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = kResultOk;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);
#else
constexpr bool kComCompatible = false;
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = kResultOk;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif

// A 16-byte identifier built from four 32-bit words in this platform's byte order.
struct FUID {
    char bytes[16];

    static constexpr FUID FromWords(uint32 l1, uint32 l2, uint32 l3, uint32 l4) noexcept {
        FUID id{};
        const auto b = [](uint32 word, int shift) { return static_cast<char>((word >> shift) & 0xFFu); };
        if constexpr (kComCompatible) {
            const char head[8] = {b(l1, 0), b(l1, 8), b(l1, 16), b(l1, 24), b(l2, 16), b(l2, 24), b(l2, 0), b(l2, 8)};
            for (int i = 0; i < 8; ++i) id.bytes[i] = head[i];
        } else {
            const char head[8] = {b(l1, 24), b(l1, 16), b(l1, 8), b(l1, 0), b(l2, 24), b(l2, 16), b(l2, 8), b(l2, 0)};
            for (int i = 0; i < 8; ++i) id.bytes[i] = head[i];
        }
        const char tail[8] = {b(l3, 24), b(l3, 16), b(l3, 8), b(l3, 0), b(l4, 24), b(l4, 16), b(l4, 8), b(l4, 0)};
        for (int i = 0; i < 8; ++i) id.bytes[8 + i] = tail[i];
        return id;
    }

    // A null pointer never matches.
    bool Matches(const void* other) const noexcept {
        if (other == nullptr) return false;
        const auto* p = static_cast<const char*>(other);
        for (int i = 0; i < 16; ++i)
            if (p[i] != bytes[i]) return false;
        return true;
    }
    friend bool operator==(const FUID& a, const FUID& b) noexcept { return a.Matches(b.bytes); }
};

// Four characters as one word, the first character in the most significant byte.
constexpr uint32 FourCC(const char (&text)[5]) noexcept {
    return (static_cast<uint32>(static_cast<uint8>(text[0])) << 24) |
           (static_cast<uint32>(static_cast<uint8>(text[1])) << 16) |
           (static_cast<uint32>(static_cast<uint8>(text[2])) << 8) | static_cast<uint32>(static_cast<uint8>(text[3]));
}

// ---------------------------------------------------------------------------------------------
// Base interfaces

class FUnknown {
public:
    virtual tresult Y_VST3_CALL queryInterface(const TUID iid, void** obj) = 0;
    virtual uint32 Y_VST3_CALL addRef() = 0;
    virtual uint32 Y_VST3_CALL release() = 0;
    static constexpr FUID iid = FUID::FromWords(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

protected:
    ~FUnknown() = default;
};

class IPluginBase : public FUnknown {
public:
    virtual tresult Y_VST3_CALL initialize(FUnknown* context) = 0;
    virtual tresult Y_VST3_CALL terminate() = 0;
    static constexpr FUID iid = FUID::FromWords(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

protected:
    ~IPluginBase() = default;
};

class IBStream : public FUnknown {
public:
    enum SeekMode : int32 { kIBSeekSet = 0, kIBSeekCur, kIBSeekEnd };
    virtual tresult Y_VST3_CALL read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
    virtual tresult Y_VST3_CALL write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
    virtual tresult Y_VST3_CALL seek(int64 pos, int32 mode, int64* result) = 0;
    virtual tresult Y_VST3_CALL tell(int64* pos) = 0;
    static constexpr FUID iid = FUID::FromWords(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

protected:
    ~IBStream() = default;
};

// ---------------------------------------------------------------------------------------------
// Factory

struct PFactoryInfo {
    enum : int32 { kNoFlags = 0, kClassesDiscardable = 1, kLicenseCheck = 2, kComponentNonDiscardable = 8, kUnicode = 16 };
    enum { kURLSize = 256, kEmailSize = 128, kNameSize = 64 };
    char8 vendor[kNameSize];
    char8 url[kURLSize];
    char8 email[kEmailSize];
    int32 flags;
};

struct PClassInfo {
    enum : int32 { kManyInstances = 0x7FFFFFFF };
    enum { kCategorySize = 32, kNameSize = 64 };
    TUID cid;
    int32 cardinality;
    char8 category[kCategorySize];
    char8 name[kNameSize];
};

struct PClassInfo2 {
    enum { kVendorSize = 64, kVersionSize = 64, kSubCategoriesSize = 128 };
    TUID cid;
    int32 cardinality;
    char8 category[PClassInfo::kCategorySize];
    char8 name[PClassInfo::kNameSize];
    uint32 classFlags;
    char8 subCategories[kSubCategoriesSize];
    char8 vendor[kVendorSize];
    char8 version[kVersionSize];
    char8 sdkVersion[kVersionSize];
};

struct PClassInfoW {
    enum { kVendorSize = 64, kVersionSize = 64, kSubCategoriesSize = 128 };
    TUID cid;
    int32 cardinality;
    char8 category[PClassInfo::kCategorySize];
    char16 name[PClassInfo::kNameSize];
    uint32 classFlags;
    char8 subCategories[kSubCategoriesSize];
    char16 vendor[kVendorSize];
    char16 version[kVersionSize];
    char16 sdkVersion[kVersionSize];
};

class IPluginFactory : public FUnknown {
public:
    virtual tresult Y_VST3_CALL getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32 Y_VST3_CALL countClasses() = 0;
    virtual tresult Y_VST3_CALL getClassInfo(int32 index, PClassInfo* info) = 0;
    virtual tresult Y_VST3_CALL createInstance(FIDString cid, FIDString iid, void** obj) = 0;
    static constexpr FUID iid = FUID::FromWords(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

protected:
    ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
public:
    virtual tresult Y_VST3_CALL getClassInfo2(int32 index, PClassInfo2* info) = 0;
    static constexpr FUID iid = FUID::FromWords(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

protected:
    ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
public:
    virtual tresult Y_VST3_CALL getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
    virtual tresult Y_VST3_CALL setHostContext(FUnknown* context) = 0;
    static constexpr FUID iid = FUID::FromWords(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);

protected:
    ~IPluginFactory3() = default;
};

// The exported entry.
using GetFactoryProc = IPluginFactory* (Y_VST3_CALL*)();

// ---------------------------------------------------------------------------------------------
// Component and processing

enum MediaTypes : int32 { kAudio = 0, kEvent = 1 };
enum BusDirections : int32 { kInput = 0, kOutput = 1 };
enum BusTypes : int32 { kMain = 0, kAux = 1 };
enum SymbolicSampleSizes : int32 { kSample32 = 0, kSample64 = 1 };
enum ProcessModes : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
constexpr uint32 kNoTail = 0;
constexpr uint32 kInfiniteTail = 0xFFFFFFFFu;

namespace SpeakerArr {
constexpr SpeakerArrangement kEmpty = 0;
constexpr SpeakerArrangement kMono = 1u << 19; // centre speaker
constexpr SpeakerArrangement kStereo = 0x3;    // left, right
// Left, right, centre, left and right surround, centre surround, side left and right.
constexpr SpeakerArrangement k71Cine = 0x737;
} // namespace SpeakerArr

struct BusInfo {
    enum BusFlags : uint32 { kDefaultActive = 1 };
    MediaType mediaType;
    BusDirection direction;
    int32 channelCount;
    String128 name;
    BusType busType;
    uint32 flags;
};

struct RoutingInfo {
    MediaType mediaType;
    int32 busIndex;
    int32 channel;
};

class IComponent : public IPluginBase {
public:
    virtual tresult Y_VST3_CALL getControllerClassId(TUID classId) = 0;
    virtual tresult Y_VST3_CALL setIoMode(IoMode mode) = 0;
    virtual int32 Y_VST3_CALL getBusCount(MediaType type, BusDirection dir) = 0;
    virtual tresult Y_VST3_CALL getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
    virtual tresult Y_VST3_CALL getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
    virtual tresult Y_VST3_CALL activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
    virtual tresult Y_VST3_CALL setActive(TBool state) = 0;
    virtual tresult Y_VST3_CALL setState(IBStream* state) = 0;
    virtual tresult Y_VST3_CALL getState(IBStream* state) = 0;
    static constexpr FUID iid = FUID::FromWords(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

protected:
    ~IComponent() = default;
};

struct ProcessSetup {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 maxSamplesPerBlock;
    SampleRate sampleRate;
};

struct AudioBusBuffers {
    int32 numChannels;
    uint64 silenceFlags;
    union {
        Sample32** channelBuffers32;
        Sample64** channelBuffers64;
    };
};

struct FrameRate {
    uint32 framesPerSecond;
    uint32 flags;
};

struct Chord {
    uint8 keyNote;
    uint8 rootNote;
    int16 chordMask;
};

struct ProcessContext {
    enum StatesAndFlags : uint32 {
        kPlaying = 1u << 1,
        kCycleActive = 1u << 2,
        kRecording = 1u << 3,
        kSystemTimeValid = 1u << 8,
        kProjectTimeMusicValid = 1u << 9,
        kTempoValid = 1u << 10,
        kBarPositionValid = 1u << 11,
        kCycleValid = 1u << 12,
        kTimeSigValid = 1u << 13,
        kSmpteValid = 1u << 14,
        kClockValid = 1u << 15,
        kContTimeValid = 1u << 17,
        kChordValid = 1u << 18,
    };
    uint32 state;
    double sampleRate;
    TSamples projectTimeSamples;
    int64 systemTime;
    TSamples continousTimeSamples;
    TQuarterNotes projectTimeMusic;
    TQuarterNotes barPositionMusic;
    TQuarterNotes cycleStartMusic;
    TQuarterNotes cycleEndMusic;
    double tempo;
    int32 timeSigNumerator;
    int32 timeSigDenominator;
    Chord chord;
    int32 smpteOffsetSubframes;
    FrameRate frameRate;
    int32 samplesToNextClock;
};

struct NoteOnEvent {
    int16 channel;
    int16 pitch;
    float tuning;
    float velocity;
    int32 length;
    int32 noteId;
};

struct NoteOffEvent {
    int16 channel;
    int16 pitch;
    float velocity;
    int32 noteId;
    float tuning;
};

struct DataEvent {
    enum DataTypes : uint32 { kMidiSysEx = 0 };
    uint32 size;
    uint32 type;
    const uint8* bytes;
};

struct PolyPressureEvent {
    int16 channel;
    int16 pitch;
    float pressure;
    int32 noteId;
};

struct NoteExpressionValueEvent {
    uint32 typeId;
    int32 noteId;
    double value;
};

struct NoteExpressionTextEvent {
    uint32 typeId;
    int32 noteId;
    uint32 textLen;
    const TChar* text;
};

struct Event {
    enum EventFlags : uint16 { kIsLive = 1 };
    enum EventTypes : uint16 {
        kNoteOnEvent = 0,
        kNoteOffEvent = 1,
        kDataEvent = 2,
        kPolyPressureEvent = 3,
        kNoteExpressionValueEvent = 4,
        kNoteExpressionTextEvent = 5,
    };
    int32 busIndex;
    int32 sampleOffset;
    TQuarterNotes ppqPosition;
    uint16 flags;
    uint16 type;
    union {
        NoteOnEvent noteOn;
        NoteOffEvent noteOff;
        DataEvent data;
        PolyPressureEvent polyPressure;
        NoteExpressionValueEvent noteExpressionValue;
        NoteExpressionTextEvent noteExpressionText;
    };
};

class IParamValueQueue : public FUnknown {
public:
    virtual ParamID Y_VST3_CALL getParameterId() = 0;
    virtual int32 Y_VST3_CALL getPointCount() = 0;
    virtual tresult Y_VST3_CALL getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
    virtual tresult Y_VST3_CALL addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;
    static constexpr FUID iid = FUID::FromWords(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

protected:
    ~IParamValueQueue() = default;
};

class IParameterChanges : public FUnknown {
public:
    virtual int32 Y_VST3_CALL getParameterCount() = 0;
    virtual IParamValueQueue* Y_VST3_CALL getParameterData(int32 index) = 0;
    virtual IParamValueQueue* Y_VST3_CALL addParameterData(const ParamID& id, int32& index) = 0;
    static constexpr FUID iid = FUID::FromWords(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

protected:
    ~IParameterChanges() = default;
};

class IEventList : public FUnknown {
public:
    virtual int32 Y_VST3_CALL getEventCount() = 0;
    virtual tresult Y_VST3_CALL getEvent(int32 index, Event& e) = 0;
    virtual tresult Y_VST3_CALL addEvent(Event& e) = 0;
    static constexpr FUID iid = FUID::FromWords(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);

protected:
    ~IEventList() = default;
};

struct ProcessData {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 numSamples;
    int32 numInputs;
    int32 numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    IEventList* inputEvents;
    IEventList* outputEvents;
    ProcessContext* processContext;
};

class IAudioProcessor : public FUnknown {
public:
    virtual tresult Y_VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts) = 0;
    virtual tresult Y_VST3_CALL getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) = 0;
    virtual tresult Y_VST3_CALL canProcessSampleSize(int32 symbolicSampleSize) = 0;
    virtual uint32 Y_VST3_CALL getLatencySamples() = 0;
    virtual tresult Y_VST3_CALL setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult Y_VST3_CALL setProcessing(TBool state) = 0;
    virtual tresult Y_VST3_CALL process(ProcessData& data) = 0;
    virtual uint32 Y_VST3_CALL getTailSamples() = 0;
    static constexpr FUID iid = FUID::FromWords(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);

protected:
    ~IAudioProcessor() = default;
};

class IProcessContextRequirements : public FUnknown {
public:
    enum Flags : uint32 {
        kNeedSystemTime = 1u << 0,
        kNeedContinousTimeSamples = 1u << 1,
        kNeedProjectTimeMusic = 1u << 2,
        kNeedBarPositionMusic = 1u << 3,
        kNeedCycleMusic = 1u << 4,
        kNeedSamplesToNextClock = 1u << 5,
        kNeedTempo = 1u << 6,
        kNeedTimeSignature = 1u << 7,
        kNeedChord = 1u << 8,
        kNeedFrameRate = 1u << 9,
        kNeedTransportState = 1u << 10,
    };
    virtual uint32 Y_VST3_CALL getProcessContextRequirements() = 0;
    static constexpr FUID iid = FUID::FromWords(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);

protected:
    ~IProcessContextRequirements() = default;
};

// ---------------------------------------------------------------------------------------------
// Messages between components

class IAttributeList : public FUnknown {
public:
    using AttrID = const char*;
    virtual tresult Y_VST3_CALL setInt(AttrID id, int64 value) = 0;
    virtual tresult Y_VST3_CALL getInt(AttrID id, int64& value) = 0;
    virtual tresult Y_VST3_CALL setFloat(AttrID id, double value) = 0;
    virtual tresult Y_VST3_CALL getFloat(AttrID id, double& value) = 0;
    virtual tresult Y_VST3_CALL setString(AttrID id, const TChar* string) = 0;
    virtual tresult Y_VST3_CALL getString(AttrID id, TChar* string, uint32 sizeInBytes) = 0;
    virtual tresult Y_VST3_CALL setBinary(AttrID id, const void* data, uint32 sizeInBytes) = 0;
    virtual tresult Y_VST3_CALL getBinary(AttrID id, const void*& data, uint32& sizeInBytes) = 0;
    static constexpr FUID iid = FUID::FromWords(0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4);

protected:
    ~IAttributeList() = default;
};

class IMessage : public FUnknown {
public:
    virtual FIDString Y_VST3_CALL getMessageID() = 0;
    virtual void Y_VST3_CALL setMessageID(FIDString id) = 0;
    virtual IAttributeList* Y_VST3_CALL getAttributes() = 0;
    static constexpr FUID iid = FUID::FromWords(0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613);

protected:
    ~IMessage() = default;
};

class IConnectionPoint : public FUnknown {
public:
    virtual tresult Y_VST3_CALL connect(IConnectionPoint* other) = 0;
    virtual tresult Y_VST3_CALL disconnect(IConnectionPoint* other) = 0;
    virtual tresult Y_VST3_CALL notify(IMessage* message) = 0;
    static constexpr FUID iid = FUID::FromWords(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);

protected:
    ~IConnectionPoint() = default;
};

class IHostApplication : public FUnknown {
public:
    virtual tresult Y_VST3_CALL getName(String128 name) = 0;
    virtual tresult Y_VST3_CALL createInstance(TUID cid, TUID iid, void** obj) = 0;
    static constexpr FUID iid = FUID::FromWords(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

protected:
    ~IHostApplication() = default;
};

// ---------------------------------------------------------------------------------------------
// Edit controller

struct ParameterInfo {
    enum ParameterFlags : int32 {
        kNoFlags = 0,
        kCanAutomate = 1 << 0,
        kIsReadOnly = 1 << 1,
        kIsWrapAround = 1 << 2,
        kIsList = 1 << 3,
        kIsProgramChange = 1 << 15,
        kIsBypass = 1 << 16,
    };
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32 stepCount;
    ParamValue defaultNormalizedValue;
    UnitID unitId;
    int32 flags;
};

enum RestartFlags : int32 {
    kReloadComponent = 1 << 0,
    kIoChanged = 1 << 1,
    kParamValuesChanged = 1 << 2,
    kLatencyChanged = 1 << 3,
    kParamTitlesChanged = 1 << 4,
    kMidiCCAssignmentChanged = 1 << 5,
};

class IComponentHandler : public FUnknown {
public:
    virtual tresult Y_VST3_CALL beginEdit(ParamID id) = 0;
    virtual tresult Y_VST3_CALL performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult Y_VST3_CALL endEdit(ParamID id) = 0;
    virtual tresult Y_VST3_CALL restartComponent(int32 flags) = 0;
    static constexpr FUID iid = FUID::FromWords(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

protected:
    ~IComponentHandler() = default;
};

struct ViewRect {
    int32 left;
    int32 top;
    int32 right;
    int32 bottom;
};

class IPlugFrame;

class IPlugView : public FUnknown {
public:
    virtual tresult Y_VST3_CALL isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult Y_VST3_CALL attached(void* parent, FIDString type) = 0;
    virtual tresult Y_VST3_CALL removed() = 0;
    virtual tresult Y_VST3_CALL onWheel(float distance) = 0;
    virtual tresult Y_VST3_CALL onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult Y_VST3_CALL onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult Y_VST3_CALL getSize(ViewRect* size) = 0;
    virtual tresult Y_VST3_CALL onSize(ViewRect* newSize) = 0;
    virtual tresult Y_VST3_CALL onFocus(TBool state) = 0;
    virtual tresult Y_VST3_CALL setFrame(IPlugFrame* frame) = 0;
    virtual tresult Y_VST3_CALL canResize() = 0;
    virtual tresult Y_VST3_CALL checkSizeConstraint(ViewRect* rect) = 0;
    static constexpr FUID iid = FUID::FromWords(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);

protected:
    ~IPlugView() = default;
};

class IPlugFrame : public FUnknown {
public:
    virtual tresult Y_VST3_CALL resizeView(IPlugView* view, ViewRect* newSize) = 0;
    static constexpr FUID iid = FUID::FromWords(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);

protected:
    ~IPlugFrame() = default;
};

// Linux has no event loop every program shares: the host hands its own to the plug-in's view
// through the frame (queryInterface on IPlugFrame), which calls back on the GUI thread when a
// registered descriptor is readable or a timer expires.
namespace Linux {
using FileDescriptor = int;
using TimerInterval = uint64;

class IEventHandler : public FUnknown {
public:
    virtual void Y_VST3_CALL onFDIsSet(FileDescriptor fd) = 0;
    static constexpr FUID iid = FUID::FromWords(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);

protected:
    ~IEventHandler() = default;
};

class ITimerHandler : public FUnknown {
public:
    virtual void Y_VST3_CALL onTimer() = 0;
    static constexpr FUID iid = FUID::FromWords(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

protected:
    ~ITimerHandler() = default;
};

class IRunLoop : public FUnknown {
public:
    virtual tresult Y_VST3_CALL registerEventHandler(IEventHandler* handler, FileDescriptor fd) = 0;
    virtual tresult Y_VST3_CALL unregisterEventHandler(IEventHandler* handler) = 0;
    virtual tresult Y_VST3_CALL registerTimer(ITimerHandler* handler, TimerInterval milliseconds) = 0;
    virtual tresult Y_VST3_CALL unregisterTimer(ITimerHandler* handler) = 0;
    static constexpr FUID iid = FUID::FromWords(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);

protected:
    ~IRunLoop() = default;
};
} // namespace Linux

// Platform types of IPlugView::attached.
constexpr const char* kPlatformTypeHWND = "HWND";
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";

class IEditController : public IPluginBase {
public:
    virtual tresult Y_VST3_CALL setComponentState(IBStream* state) = 0;
    virtual tresult Y_VST3_CALL setState(IBStream* state) = 0;
    virtual tresult Y_VST3_CALL getState(IBStream* state) = 0;
    virtual int32 Y_VST3_CALL getParameterCount() = 0;
    virtual tresult Y_VST3_CALL getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
    virtual tresult Y_VST3_CALL getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
    virtual tresult Y_VST3_CALL getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) = 0;
    virtual ParamValue Y_VST3_CALL normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue Y_VST3_CALL plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue Y_VST3_CALL getParamNormalized(ParamID id) = 0;
    virtual tresult Y_VST3_CALL setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult Y_VST3_CALL setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* Y_VST3_CALL createView(FIDString name) = 0;
    static constexpr FUID iid = FUID::FromWords(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

protected:
    ~IEditController() = default;
};

class IEditController2 : public FUnknown {
public:
    virtual tresult Y_VST3_CALL setKnobMode(KnobMode mode) = 0;
    virtual tresult Y_VST3_CALL openHelp(TBool onlyCheck) = 0;
    virtual tresult Y_VST3_CALL openAboutBox(TBool onlyCheck) = 0;
    static constexpr FUID iid = FUID::FromWords(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);

protected:
    ~IEditController2() = default;
};

class IMidiMapping : public FUnknown {
public:
    virtual tresult Y_VST3_CALL getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                            CtrlNumber midiControllerNumber, ParamID& id) = 0;
    static constexpr FUID iid = FUID::FromWords(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);

protected:
    ~IMidiMapping() = default;
};

// Vornik's own interface, not part of VST 3: a host that knows it asks the component why its
// last setState was refused.
class IVornikStateReport : public FUnknown {
public:
    // Copies the reason into text (at most size bytes with the terminating zero, in the
    // encoding of the plug-in's other 8-bit texts) and returns the bytes before the zero;
    // 0 and an empty text when the last load succeeded.
    virtual int32 Y_VST3_CALL getStateRefusal(char8* text, int32 size) = 0;
    static constexpr FUID iid = FUID::FromWords(0x5A3C91E2, 0x7B04481D, 0x9E6F2C58, 0xD1A7430B);

protected:
    ~IVornikStateReport() = default;
};

struct UnitInfo {
    UnitID id;
    UnitID parentUnitId;
    String128 name;
    ProgramListID programListId;
};

struct ProgramListInfo {
    ProgramListID id;
    String128 name;
    int32 programCount;
};

constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;

class IUnitInfo : public FUnknown {
public:
    virtual int32 Y_VST3_CALL getUnitCount() = 0;
    virtual tresult Y_VST3_CALL getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;
    virtual int32 Y_VST3_CALL getProgramListCount() = 0;
    virtual tresult Y_VST3_CALL getProgramListInfo(int32 listIndex, ProgramListInfo& info) = 0;
    virtual tresult Y_VST3_CALL getProgramName(ProgramListID listId, int32 programIndex, String128 name) = 0;
    virtual tresult Y_VST3_CALL getProgramInfo(ProgramListID listId, int32 programIndex, CString attributeId,
                                               String128 attributeValue) = 0;
    virtual tresult Y_VST3_CALL hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
    virtual tresult Y_VST3_CALL getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                                    String128 name) = 0;
    virtual UnitID Y_VST3_CALL getSelectedUnit() = 0;
    virtual tresult Y_VST3_CALL selectUnit(UnitID unitId) = 0;
    virtual tresult Y_VST3_CALL getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                             UnitID& unitId) = 0;
    virtual tresult Y_VST3_CALL setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream* data) = 0;
    static constexpr FUID iid = FUID::FromWords(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);

protected:
    ~IUnitInfo() = default;
};

// ---------------------------------------------------------------------------------------------
// Layout checks for 64-bit systems (the tests print the values on failure).

static_assert(sizeof(FUID) == 16);
static_assert(sizeof(PFactoryInfo) == 452);
static_assert(sizeof(PClassInfo) == 116);
static_assert(sizeof(PClassInfo2) == 440);
static_assert(sizeof(PClassInfoW) == 696);
static_assert(sizeof(void*) != 8 || sizeof(AudioBusBuffers) == 24);
static_assert(sizeof(void*) != 8 || sizeof(ProcessData) == 80);
static_assert(sizeof(ProcessSetup) == 24);
static_assert(sizeof(ProcessContext) == 112);
static_assert(sizeof(void*) != 8 || sizeof(Event) == 48);
static_assert(sizeof(ParameterInfo) == 792);
static_assert(sizeof(BusInfo) == 276);
static_assert(sizeof(ViewRect) == 16);
static_assert(sizeof(UnitInfo) == 268);

} // namespace Vst3
