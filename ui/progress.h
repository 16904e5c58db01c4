#pragma once
// CBvProgress: the sink through which long device operations report tasks and steps. The
// engine and the devices hold a plain pointer to it; the dialog that shows the progress
// implements it as a second base.
#include <cstdint>

class CBvProgress {
public:
    // Task kinds whose code is composed with an index (BeginIndexedTask).
    static constexpr int kIndexedKinds[] = {6, 17, 33};

    CBvProgress() = default;
    virtual ~CBvProgress() = default;

    virtual void SetTotalTasks(int count) = 0;
    // Task code kind + (index modulo 256) for the indexed kinds, kind itself otherwise.
    virtual void BeginIndexedTask(int kind, int total, int index);
    virtual void BeginTask(int code, int total) = 0;
    // Step(0) advances nothing; it lets the window process its messages while a command runs.
    virtual void Step(int advance) = 0;
    virtual void StepTotal() = 0;
    virtual void ShowSearching() {}
    virtual int32_t Begin() {
        m_active = 1;
        return 0;
    }
    virtual void End() { m_active = 0; }

    // Reports made while inactive change only the stored fields.
    int IsActive() const { return m_active; }

protected:
    int m_totalTasks = 0;  // last SetTotalTasks
    int m_taskTotal = 0;   // steps of the current task
    int m_taskCode = 0;    // code of the current task
    int m_active = 0;      // between Begin and End
};
