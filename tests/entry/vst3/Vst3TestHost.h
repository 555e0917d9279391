// The host side of the VST 3 interface for tests: a memory stream, a component handler, parameter
// queues, an event list, a host application and a plug-in frame. They live on the stack or in a
// fixture, so reference counting only counts; nothing deletes itself.
#pragma once

#include "entry/vst3/Vst3Abi.h"

#include <cstring>
#include <string>
#include <vector>

namespace Vst3Test {

template <typename Interface>
class HostObject : public Interface {
public:
    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID iid, void** obj) override {
        if (Vst3::FUnknown::iid.Matches(iid) || Interface::iid.Matches(iid)) {
            addRef();
            *obj = static_cast<Interface*>(this);
            return Vst3::kResultOk;
        }
        *obj = nullptr;
        return Vst3::kNoInterface;
    }
    Vst3::uint32 Y_VST3_CALL addRef() override { return static_cast<Vst3::uint32>(++references); }
    Vst3::uint32 Y_VST3_CALL release() override { return static_cast<Vst3::uint32>(--references); }

    int references = 1;
};

class MemoryStream : public HostObject<Vst3::IBStream> {
public:
    Vst3::tresult Y_VST3_CALL read(void* buffer, Vst3::int32 numBytes, Vst3::int32* numBytesRead) override {
        readRequests.push_back(numBytes);
        const size_t left = data.size() - position;
        const size_t n = std::min(left, static_cast<size_t>(numBytes < 0 ? 0 : numBytes));
        if (n > 0) std::memcpy(buffer, data.data() + position, n);
        position += n;
        if (numBytesRead != nullptr) *numBytesRead = static_cast<Vst3::int32>(n);
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL write(void* buffer, Vst3::int32 numBytes, Vst3::int32* numBytesWritten) override {
        const auto* p = static_cast<const char*>(buffer);
        data.insert(data.begin() + static_cast<std::ptrdiff_t>(position), p, p + numBytes);
        position += static_cast<size_t>(numBytes);
        if (numBytesWritten != nullptr) *numBytesWritten = numBytes;
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL seek(Vst3::int64 pos, Vst3::int32 mode, Vst3::int64* result) override {
        const Vst3::int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? static_cast<Vst3::int64>(position)
                                                                             : static_cast<Vst3::int64>(data.size());
        position = static_cast<size_t>(base + pos);
        if (result != nullptr) *result = static_cast<Vst3::int64>(position);
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL tell(Vst3::int64* pos) override {
        *pos = static_cast<Vst3::int64>(position);
        return Vst3::kResultOk;
    }

    std::string data;
    size_t position = 0;
    std::vector<Vst3::int32> readRequests;
};

class ComponentHandler : public HostObject<Vst3::IComponentHandler> {
public:
    struct Call {
        std::string what;
        Vst3::ParamID id;
        double value;
        bool operator==(const Call&) const = default;
    };
    Vst3::tresult Y_VST3_CALL beginEdit(Vst3::ParamID id) override {
        calls.push_back({"begin", id, 0.0});
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL performEdit(Vst3::ParamID id, Vst3::ParamValue value) override {
        calls.push_back({"perform", id, value});
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL endEdit(Vst3::ParamID id) override {
        calls.push_back({"end", id, 0.0});
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL restartComponent(Vst3::int32 flags) override {
        restarts.push_back(flags);
        return Vst3::kResultOk;
    }
    std::vector<Call> calls;
    std::vector<Vst3::int32> restarts;
};

class ValueQueue : public HostObject<Vst3::IParamValueQueue> {
public:
    explicit ValueQueue(Vst3::ParamID id) : m_id(id) {}
    Vst3::ParamID Y_VST3_CALL getParameterId() override { return m_id; }
    Vst3::int32 Y_VST3_CALL getPointCount() override { return static_cast<Vst3::int32>(points.size()); }
    Vst3::tresult Y_VST3_CALL getPoint(Vst3::int32 index, Vst3::int32& offset, Vst3::ParamValue& value) override {
        if (index < 0 || static_cast<size_t>(index) >= points.size()) return Vst3::kInvalidArgument;
        offset = points[static_cast<size_t>(index)].first;
        value = points[static_cast<size_t>(index)].second;
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL addPoint(Vst3::int32 offset, Vst3::ParamValue value, Vst3::int32& index) override {
        index = static_cast<Vst3::int32>(points.size());
        points.emplace_back(offset, value);
        return Vst3::kResultOk;
    }
    std::vector<std::pair<Vst3::int32, double>> points;

private:
    Vst3::ParamID m_id;
};

class ParameterChanges : public HostObject<Vst3::IParameterChanges> {
public:
    ValueQueue& Add(Vst3::ParamID id) {
        queues.emplace_back(id);
        return queues.back();
    }
    Vst3::int32 Y_VST3_CALL getParameterCount() override { return static_cast<Vst3::int32>(queues.size()); }
    Vst3::IParamValueQueue* Y_VST3_CALL getParameterData(Vst3::int32 index) override {
        if (index < 0 || static_cast<size_t>(index) >= queues.size()) return nullptr;
        return &queues[static_cast<size_t>(index)];
    }
    Vst3::IParamValueQueue* Y_VST3_CALL addParameterData(const Vst3::ParamID& id, Vst3::int32& index) override {
        index = static_cast<Vst3::int32>(queues.size());
        return &Add(id);
    }
    std::vector<ValueQueue> queues; // reserve before adding: the host hands out pointers
};

class EventList : public HostObject<Vst3::IEventList> {
public:
    Vst3::int32 Y_VST3_CALL getEventCount() override { return static_cast<Vst3::int32>(events.size()); }
    Vst3::tresult Y_VST3_CALL getEvent(Vst3::int32 index, Vst3::Event& e) override {
        if (index < 0 || static_cast<size_t>(index) >= events.size()) return Vst3::kInvalidArgument;
        e = events[static_cast<size_t>(index)];
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL addEvent(Vst3::Event& e) override {
        events.push_back(e);
        return Vst3::kResultOk;
    }
    std::vector<Vst3::Event> events;
};

class HostApplication : public HostObject<Vst3::IHostApplication> {
public:
    Vst3::tresult Y_VST3_CALL getName(Vst3::String128 name) override {
        const char16_t text[] = u"Test Host";
        std::memcpy(name, text, sizeof(text));
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL createInstance(Vst3::TUID, Vst3::TUID, void** obj) override {
        *obj = nullptr;
        return Vst3::kResultFalse;
    }
};

class PlugFrame : public HostObject<Vst3::IPlugFrame> {
public:
    Vst3::tresult Y_VST3_CALL resizeView(Vst3::IPlugView* view, Vst3::ViewRect* rect) override {
        resizes.push_back(*rect);
        lastView = view;
        return Vst3::kResultOk;
    }
    std::vector<Vst3::ViewRect> resizes;
    Vst3::IPlugView* lastView = nullptr;
};

// A String128 as UTF-8 (the tests use ASCII).
inline std::string Narrow(const Vst3::TChar* text) {
    std::string out;
    for (int i = 0; i < 128 && text[i] != 0; ++i) out += static_cast<char>(text[i]);
    return out;
}

} // namespace Vst3Test
