#include "entry/vst3/YVST3OutputChanges.h"

#include "support/AllocationCounting.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

// A host's output list with room fixed in advance, so that delivering into it allocates
// nothing on either side.
class FixedQueue : public Vst3::IParamValueQueue {
public:
    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID, void**) override { return Vst3::kNoInterface; }
    Vst3::uint32 Y_VST3_CALL addRef() override { return 1; }
    Vst3::uint32 Y_VST3_CALL release() override { return 1; }
    Vst3::ParamID Y_VST3_CALL getParameterId() override { return id; }
    Vst3::int32 Y_VST3_CALL getPointCount() override { return count; }
    Vst3::tresult Y_VST3_CALL getPoint(Vst3::int32, Vst3::int32&, Vst3::ParamValue&) override {
        return Vst3::kResultFalse;
    }
    Vst3::tresult Y_VST3_CALL addPoint(Vst3::int32 offset, Vst3::ParamValue v, Vst3::int32& index) override {
        if (count >= 4) return Vst3::kResultFalse;
        offsets[count] = offset;
        values[count] = v;
        index = count++;
        return Vst3::kResultOk;
    }
    Vst3::ParamID id = 0;
    Vst3::int32 count = 0;
    Vst3::int32 offsets[4] = {};
    double values[4] = {};
};

class FixedChanges : public Vst3::IParameterChanges {
public:
    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID, void**) override { return Vst3::kNoInterface; }
    Vst3::uint32 Y_VST3_CALL addRef() override { return 1; }
    Vst3::uint32 Y_VST3_CALL release() override { return 1; }
    Vst3::int32 Y_VST3_CALL getParameterCount() override { return count; }
    Vst3::IParamValueQueue* Y_VST3_CALL getParameterData(Vst3::int32 index) override {
        return &queues[index];
    }
    Vst3::IParamValueQueue* Y_VST3_CALL addParameterData(const Vst3::ParamID& id,
                                                         Vst3::int32& index) override {
        if (count >= 8) return nullptr;
        queues[count] = FixedQueue();
        queues[count].id = id;
        index = count;
        return &queues[count++];
    }
    Vst3::int32 count = 0;
    FixedQueue queues[8];
};

} // namespace

TEST(VST3OutputChanges, EachBlockDeliversItsOwnChangesTheLastValueOfEach) {
    const Vst3::ParamID ids[] = {0, 1, 32767};
    YVST3OutputChanges changes;
    changes.Reset(ids, 3);
    FixedChanges out;
    const uint64_t before = AllocationCounting::Count();
    changes.Post(2, 1.0);
    changes.Post(0, 0.2);
    changes.Post(2, 0.0);
    changes.Post(7, 0.5); // no such slot
    changes.Deliver(&out);
    changes.Deliver(&out); // nothing new
    EXPECT_EQ(AllocationCounting::Count(), before) << "the audio thread's side allocates nothing";
    ASSERT_EQ(out.count, 2);
    EXPECT_EQ(out.queues[0].id, 32767u);
    EXPECT_EQ(out.queues[0].count, 1);
    EXPECT_EQ(out.queues[0].values[0], 0.0);
    EXPECT_EQ(out.queues[1].id, 0u);
    EXPECT_EQ(out.queues[1].values[0], 0.2);

    changes.Post(1, 0.3);
    changes.Deliver(nullptr); // a host without an output list still hears it from the GUI side
    std::vector<std::pair<Vst3::ParamID, double>> told;
    changes.Drain([&](Vst3::ParamID id, double value) { told.emplace_back(id, value); });
    EXPECT_EQ(told, (std::vector<std::pair<Vst3::ParamID, double>>{{0, 0.2}, {1, 0.3}, {32767, 0.0}}));
    told.clear();
    changes.Drain([&](Vst3::ParamID id, double value) { told.emplace_back(id, value); });
    EXPECT_TRUE(told.empty());
}
