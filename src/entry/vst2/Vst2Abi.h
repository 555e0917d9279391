// The VST 2.4 binary interface: the records and numbers a host and a plug-in exchange. Pure
// data, no behaviour, so that both our adapter and our test hosts build against one layout.
// Every record is checked against its published size on 64-bit systems.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Vst2 {

struct AEffect;

// Host entry the plug-in calls back (audioMaster...).
using HostCallback = intptr_t (*)(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                  void* ptr, float opt);
using DispatcherProc = intptr_t (*)(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                    void* ptr, float opt);
using ProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs, int32_t frames);
using ProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs, int32_t frames);
using SetParameterProc = void (*)(AEffect* effect, int32_t index, float value);
using GetParameterProc = float (*)(AEffect* effect, int32_t index);
// The exported entry (VSTPluginMain, main).
using PluginEntryProc = AEffect* (*)(HostCallback host);

// Four characters as one integer, the first character in the most significant byte.
constexpr int32_t FourCC(char a, char b, char c, char d) noexcept {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
                                static_cast<uint32_t>(static_cast<uint8_t>(d)));
}

constexpr int32_t kEffectMagic = FourCC('V', 's', 't', 'P');
// Vornik's own effVendorSpecific request, passed as the index: copies why the last
// effSetChunk was refused into ptr (at most value bytes with the terminating zero, in the
// encoding of the plug-in's other texts) and returns the bytes before the zero; 0 and an
// empty text when the last load succeeded.
constexpr int32_t kVendorStateRefusal = FourCC('V', 'r', 'n', 'R');
// The interface version a 2.4 plug-in reports (effGetVstVersion) and a 2.4 host answers.
constexpr int32_t kVstVersion = 2400;

struct AEffect {
    int32_t magic;
    DispatcherProc dispatcher;
    ProcessProc process; // accumulating
    SetParameterProc setParameter;
    GetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags;
    intptr_t resvd1; // host's
    intptr_t resvd2; // host's
    int32_t initialDelay; // latency in samples
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object; // the plug-in's own object
    void* user;   // the host's
    int32_t uniqueID;
    int32_t version;
    ProcessProc processReplacing;
    ProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum AEffectFlags : int32_t {
    effFlagsHasEditor = 1 << 0,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// Host to plug-in, through AEffect::dispatcher.
enum AEffectOpcodes : int32_t {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditIdle = 19,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetProgramNameIndexed = 29,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effGetParameterProperties = 56,
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
    effSetProcessPrecision = 77,
    effGetNumMidiInputChannels = 78,
    effGetNumMidiOutputChannels = 79,
};

// Plug-in to host, through the host callback.
enum AudioMasterOpcodes : int32_t {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterWantMidi = 6, // deprecated in 2.4, still how a plug-in asks for MIDI
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterIOChanged = 13,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetInputLatency = 18,
    audioMasterGetOutputLatency = 19,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetAutomationState = 24,
    audioMasterOfflineStart = 25,
    audioMasterOfflineRead = 26,
    audioMasterOfflineWrite = 27,
    audioMasterOfflineGetCurrentPass = 28,
    audioMasterOfflineGetCurrentMetaPass = 29,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterVendorSpecific = 35,
    audioMasterCanDo = 37,
    audioMasterGetLanguage = 38,
    audioMasterGetDirectory = 41,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
    audioMasterOpenFileSelector = 45,
    audioMasterCloseFileSelector = 46,
};

// String capacities the interface promises, terminating zero included in none of them.
enum VstStringConstants : int32_t {
    kVstMaxProgNameLen = 24,
    kVstMaxParamStrLen = 8,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxEffectNameLen = 32,
    kVstMaxNameLen = 64,
    kVstMaxLabelLen = 64,
    kVstMaxShortLabelLen = 8,
};

enum VstPlugCategory : int32_t {
    kPlugCategUnknown = 0,
    kPlugCategEffect = 1,
    kPlugCategSynth = 2,
};

enum VstProcessLevels : int32_t {
    kVstProcessLevelUnknown = 0,
    kVstProcessLevelUser = 1,
    kVstProcessLevelRealtime = 2,
    kVstProcessLevelPrefetch = 3,
    kVstProcessLevelOffline = 4,
};

enum VstProcessPrecision : int32_t { kVstProcessPrecision32 = 0, kVstProcessPrecision64 = 1 };

enum VstAutomationStates : int32_t {
    kVstAutomationUnsupported = 0,
    kVstAutomationOff = 1,
    kVstAutomationRead = 2,
    kVstAutomationWrite = 3,
    kVstAutomationReadWrite = 4,
};

// --- Events ---

enum VstEventTypes : int32_t { kVstMidiType = 1, kVstSysExType = 6 };

struct VstEvent {
    int32_t type;
    int32_t byteSize; // of the whole event minus type and byteSize
    int32_t deltaFrames;
    int32_t flags;
    char data[16];
};

struct VstMidiEvent {
    int32_t type; // kVstMidiType
    int32_t byteSize; // sizeof(VstMidiEvent)
    int32_t deltaFrames;
    int32_t flags;
    int32_t noteLength;
    int32_t noteOffset;
    char midiData[4]; // status, two data bytes, a zero
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

enum VstMidiEventFlags : int32_t { kVstMidiEventIsRealtime = 1 << 0 };

// A block of events; events[] really holds numEvents pointers.
struct VstEvents {
    int32_t numEvents;
    intptr_t reserved;
    VstEvent* events[2];
};

// --- Transport ---

struct VstTimeInfo {
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos; // song position in quarter notes
    double tempo;  // beats per minute
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    int32_t timeSigNumerator;
    int32_t timeSigDenominator;
    int32_t smpteOffset;
    int32_t smpteFrameRate;
    int32_t samplesToNextClock;
    int32_t flags;
};

enum VstTimeInfoFlags : int32_t {
    kVstTransportChanged = 1 << 0,
    kVstTransportPlaying = 1 << 1,
    kVstTransportCycleActive = 1 << 2,
    kVstTransportRecording = 1 << 3,
    kVstAutomationWriting = 1 << 6,
    kVstAutomationReading = 1 << 7,
    kVstNanosValid = 1 << 8,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12,
    kVstTimeSigValid = 1 << 13,
    kVstSmpteValid = 1 << 14,
    kVstClockValid = 1 << 15,
};

// --- Pins and speakers ---

struct VstPinProperties {
    char label[kVstMaxLabelLen];
    int32_t flags;
    int32_t arrangementType;
    char shortLabel[kVstMaxShortLabelLen];
    char future[48];
};

enum VstPinPropertiesFlags : int32_t {
    kVstPinIsActive = 1 << 0,
    kVstPinIsStereo = 1 << 1,
    kVstPinUseSpeaker = 1 << 2,
};

enum VstSpeakerArrangementType : int32_t {
    kSpeakerArrUserDefined = -2,
    kSpeakerArrEmpty = -1,
    kSpeakerArrMono = 0,
    kSpeakerArrStereo = 1,
    kSpeakerArr51 = 15,
    kSpeakerArr80Music = 25,
};

struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[kVstMaxNameLen];
    int32_t type;
    char future[28];
};

// speakers[] really holds numChannels records; hosts allocate at least eight.
struct VstSpeakerArrangement {
    int32_t type;
    int32_t numChannels;
    VstSpeakerProperties speakers[8];
};

// --- Editor ---

struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct VstKeyCode {
    int32_t character;
    unsigned char virt;
    unsigned char modifier;
};

struct VstParameterProperties {
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;
    char label[kVstMaxLabelLen];
    int32_t flags;
    int32_t minInteger;
    int32_t maxInteger;
    int32_t stepInteger;
    int32_t largeStepInteger;
    char shortLabel[kVstMaxShortLabelLen];
    int16_t displayIndex;
    int16_t category;
    int16_t numParametersInCategory;
    int16_t reserved;
    char categoryLabel[24];
    char future[16];
};

// A mismatch in any of these would corrupt every call across the interface.
static_assert(sizeof(void*) != 8 || sizeof(AEffect) == 192, "AEffect layout");
static_assert(sizeof(void*) != 8 || offsetof(AEffect, flags) == 56, "AEffect layout");
static_assert(sizeof(void*) != 8 || offsetof(AEffect, initialDelay) == 80, "AEffect layout");
static_assert(sizeof(void*) != 8 || offsetof(AEffect, object) == 96, "AEffect layout");
static_assert(sizeof(void*) != 8 || offsetof(AEffect, uniqueID) == 112, "AEffect layout");
static_assert(sizeof(void*) != 8 || offsetof(AEffect, processReplacing) == 120, "AEffect layout");
static_assert(sizeof(VstEvent) == 32, "VstEvent layout");
static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent layout");
static_assert(sizeof(void*) != 8 || sizeof(VstEvents) == 32, "VstEvents layout");
static_assert(sizeof(VstTimeInfo) == 88, "VstTimeInfo layout");
static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties layout");
static_assert(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties layout");
static_assert(sizeof(VstSpeakerArrangement) == 904, "VstSpeakerArrangement layout");
static_assert(sizeof(ERect) == 8, "ERect layout");
static_assert(sizeof(VstParameterProperties) == 152, "VstParameterProperties layout");

} // namespace Vst2
