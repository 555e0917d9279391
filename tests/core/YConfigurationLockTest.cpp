#include "core/YConfigurationLock.h"

#include "core/YAudioPlugin.h"
#include "foundation/YException.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

// Writes "+name" for each lock taken (or "!name" for a refusal) and "-name" for each release
// into a shared journal.
class JournalLock : public YSynchronizer {
public:
    JournalLock(std::string name, std::vector<std::string>& journal, bool refuse = false)
        : m_name(std::move(name)), m_journal(journal), m_refuse(refuse) {}

    int Lock(uint32_t timeout) override {
        timeouts.push_back(timeout);
        m_journal.push_back((m_refuse ? "!" : "+") + m_name);
        return m_refuse ? 1 : 0;
    }
    void Unlock() override { m_journal.push_back("-" + m_name); }

    std::vector<uint32_t> timeouts;

private:
    std::string m_name;
    std::vector<std::string>& m_journal;
    bool m_refuse;
};

using Journal = std::vector<std::string>;

TEST(YConfigurationLock, TakesProcessingEditorParameterWithWaitingAndReleasesInReverse) {
    Journal journal;
    JournalLock processing("processing", journal), editor("editor", journal),
        parameters("parameters", journal);
    {
        const YConfigurationLock locks(processing, editor, parameters);
        EXPECT_EQ(journal, (Journal{"+processing", "+editor", "+parameters"}));
    }
    EXPECT_EQ(journal,
              (Journal{"+processing", "+editor", "+parameters", "-parameters", "-editor", "-processing"}));
    for (const JournalLock* lock : {&processing, &editor, &parameters})
        EXPECT_EQ(lock->timeouts, (std::vector<uint32_t>{YSynchronizer::kWaitInfinite}));
}

// A refusal at any position gives back exactly what was taken before it, in reverse, and
// never asks for the locks after it.
TEST(YConfigurationLock, RefusalReleasesWhatWasTakenAndRaises) {
    struct Case {
        int refused;
        Journal expected;
    };
    const Case cases[] = {
        {0, {"!processing"}},
        {1, {"+processing", "!editor", "-processing"}},
        {2, {"+processing", "+editor", "!parameters", "-editor", "-processing"}},
    };
    for (const Case& c : cases) {
        Journal journal;
        JournalLock processing("processing", journal, c.refused == 0);
        JournalLock editor("editor", journal, c.refused == 1);
        JournalLock parameters("parameters", journal, c.refused == 2);
        std::string message = "(nothing raised)";
        try {
            const YConfigurationLock locks(processing, editor, parameters);
        } catch (const YException& e) {
            message = e.Message().ToUTF8();
        }
        EXPECT_EQ(message, "Could not acquire mutex.") << "refused " << c.refused;
        EXPECT_EQ(journal, c.expected) << "refused " << c.refused;
    }
}

// The plug-in form holds the plug-in's own three locks: another thread finds each busy.
TEST(YConfigurationLock, PluginFormHoldsThePluginsThreeLocks) {
    YAudioPlugin plugin;
    const auto busyElsewhere = [](YSynchronizer& lock) {
        bool busy = false;
        std::thread other([&] {
            busy = lock.Lock(0) != 0;
            if (!busy) lock.Unlock();
        });
        other.join();
        return busy;
    };
    {
        const YConfigurationLock locks(plugin);
        EXPECT_TRUE(busyElsewhere(plugin.ProcessingLock()));
        EXPECT_TRUE(busyElsewhere(plugin.EditorLock()));
        EXPECT_TRUE(busyElsewhere(plugin.ParameterLock()));
    }
    EXPECT_FALSE(busyElsewhere(plugin.ProcessingLock()));
    EXPECT_FALSE(busyElsewhere(plugin.EditorLock()));
    EXPECT_FALSE(busyElsewhere(plugin.ParameterLock()));
}

} // namespace
