// YEvent and YCallback: lists of handlers that objects expose ("this button was clicked") and
// other objects subscribe to with one of their member functions.
//
// A handler record is three machine words: the target object, the member function (a pointer
// to a static holder of the member-function pointer, one per member function) and the
// invoker that calls it with the parameter record. The handler kind adds its own fields to
// the record: YHandlerNoAdditionals nothing, YKeyboardShortcut the key combination.
//
// A handler may return bool ("handled") or void (not handled). Firing calls every handler in
// order; FireUntilHandled stops at the first that handles.
//
// Records live in an array that grows to the next power of two once it holds more than two,
// so the first two subscriptions cost one allocation and a list never shrinks while in use.
#pragma once

#include "core/YEventTarget.h"
#include "foundation/YException.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

// The plain handler kind: nothing beside the three words.
struct YHandlerNoAdditionals {};

namespace YEventDetail {
template <typename Params> using Invoker = bool (*)(YEventTarget* target, const void* member, Params& params);

// One static holder per member function: its address is the record's "member" word.
template <auto Member> struct MemberHolder {
    static constexpr auto value = Member;
};

template <typename Params, auto Member> bool Invoke(YEventTarget* target, const void*, Params& params) {
    using MemberType = decltype(Member);
    return [&]<typename C, typename R>(R (C::*)(Params&)) {
        static_assert(std::is_base_of_v<YEventTarget, C>, "handlers belong to YEventTarget objects");
        C* object = static_cast<C*>(target);
        if constexpr (std::is_same_v<R, void>) {
            (object->*Member)(params);
            return false;
        } else {
            return static_cast<bool>((object->*Member)(params));
        }
    }(MemberType{});
}
} // namespace YEventDetail

template <typename Params, typename Kind = YHandlerNoAdditionals> class YEvent {
public:
    struct Record : Kind {
        YEventTarget* target = nullptr;
        const void* member = nullptr;
        YEventDetail::Invoker<Params> invoker = nullptr;
    };

    YEvent() = default;
    YEvent(const YEvent&) = delete;
    YEvent& operator=(const YEvent&) = delete;
    virtual ~YEvent() { delete[] m_records; }

    // Removes every handler.
    virtual void Clear() noexcept { m_count = 0; }
    // Removes the first handler; raises "Index out of range." when there is none.
    virtual void RemoveFirst() { RemoveAt(0); }
    // Calls every handler in order; true when one of them handled the event.
    virtual bool Fire(Params& params) {
        bool handled = false;
        // Index-based: a handler may add to or remove from this list.
        for (int32_t i = 0; i < m_count; ++i) {
            const Record& r = m_records[i];
            if (r.invoker(r.target, r.member, params)) handled = true;
        }
        return handled;
    }

    // Calls handlers in order until one handles the event.
    bool FireUntilHandled(Params& params) {
        for (int32_t i = 0; i < m_count; ++i) {
            const Record& r = m_records[i];
            if (r.invoker(r.target, r.member, params)) return true;
        }
        return false;
    }

    // Appends target's member function Member (R (C::*)(Params&)) with the kind's fields.
    template <auto Member, typename C> Record& Add(C* target, const Kind& additionals = Kind{}) {
        Record record;
        static_cast<Kind&>(record) = additionals;
        record.target = target;
        record.member = &YEventDetail::MemberHolder<Member>::value;
        record.invoker = &YEventDetail::Invoke<Params, Member>;
        return Append(record);
    }

    // Removes the handler at index; raises "Index out of range." outside 0 .. Count() - 1.
    void RemoveAt(int32_t index) {
        if (index < 0 || index >= m_count) YRaiseIndexOutOfRange();
        for (int32_t i = index; i + 1 < m_count; ++i) m_records[i] = m_records[i + 1];
        --m_count;
    }
    // Removes every handler of target (a target that dies unsubscribes).
    void RemoveTarget(const YEventTarget* target) noexcept {
        int32_t kept = 0;
        for (int32_t i = 0; i < m_count; ++i) {
            if (m_records[i].target != target) m_records[kept++] = m_records[i];
        }
        m_count = kept;
    }

    int32_t Count() const noexcept { return m_count; }
    int32_t Capacity() const noexcept { return m_capacity; }
    bool IsEmpty() const noexcept { return m_count == 0; }
    Record& At(int32_t index) {
        if (index < 0 || index >= m_count) YRaiseIndexOutOfRange();
        return m_records[index];
    }
    const Record& At(int32_t index) const {
        if (index < 0 || index >= m_count) YRaiseIndexOutOfRange();
        return m_records[index];
    }
    // Calls one record's handler.
    static bool Invoke(const Record& r, Params& params) { return r.invoker(r.target, r.member, params); }

private:
    Record& Append(const Record& record) {
        if (m_count == m_capacity) {
            // Two records first, then the next power of two above the count.
            int32_t capacity = 2;
            while (capacity <= m_count) capacity *= 2;
            Record* grown = new Record[static_cast<size_t>(capacity)];
            for (int32_t i = 0; i < m_count; ++i) grown[i] = m_records[i];
            delete[] m_records;
            m_records = grown;
            m_capacity = capacity;
        }
        m_records[m_count] = record;
        return m_records[m_count++];
    }

    Record* m_records = nullptr;
    int32_t m_count = 0;
    int32_t m_capacity = 0;
};

// The single-handler form: at most one subscriber, replaced by the next Set.
template <typename Params, typename Kind = YHandlerNoAdditionals> class YCallback {
public:
    YCallback() = default;
    YCallback(const YCallback&) = delete;
    YCallback& operator=(const YCallback&) = delete;
    virtual ~YCallback() = default;

    // Calls the handler; false when none is set or it did not handle the event.
    virtual bool Call(Params& params) {
        return m_invoker != nullptr && m_invoker(m_target, m_member, params);
    }

    template <auto Member, typename C> void Set(C* target) {
        m_target = target;
        m_member = &YEventDetail::MemberHolder<Member>::value;
        m_invoker = &YEventDetail::Invoke<Params, Member>;
    }
    void Reset() noexcept {
        m_target = nullptr;
        m_member = nullptr;
        m_invoker = nullptr;
    }
    bool IsSet() const noexcept { return m_invoker != nullptr; }
    YEventTarget* Target() const noexcept { return m_target; }

private:
    YEventTarget* m_target = nullptr;
    const void* m_member = nullptr;
    YEventDetail::Invoker<Params> m_invoker = nullptr;
};
