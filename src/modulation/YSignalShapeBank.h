// The fixed tables behind the signal generator: 16 one-cycle shapes and 37 step types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class YSignalShapeBank {
public:
    static constexpr int32_t kShapeCount = 16;
    static constexpr int32_t kShapeLength = 8192;
    static constexpr int32_t kStepTypeCount = 37;
    static constexpr int32_t kStepTypeLength = 1024;

    // The one bank of the process, built on first use (thread-safe).
    static const YSignalShapeBank& Instance();

    // kShapeLength values of shape index (0 ... kShapeCount − 1).
    const float* Shape(int32_t index) const noexcept {
        return m_shapes.data() + static_cast<std::size_t>(index) * kShapeLength;
    }
    // kStepTypeLength values of step type index (0 ... kStepTypeCount − 1).
    const float* StepType(int32_t index) const noexcept {
        return m_stepTypes.data() + static_cast<std::size_t>(index) * kStepTypeLength;
    }

    // Display names; an index out of range gives an empty text.
    static const char* ShapeName(int32_t index) noexcept;
    static const char* StepTypeName(int32_t index) noexcept;

private:
    YSignalShapeBank();
    void BuildShapes();
    void BuildStepTypes();

    std::vector<float> m_shapes;
    std::vector<float> m_stepTypes;
};
