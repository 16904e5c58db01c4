// The progress interface's own behaviour: the composed task codes and the active flag.
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ui/progress.h"

namespace {

class RecordingProgress : public CBvProgress {
public:
    void SetTotalTasks(int) override {}
    void BeginTask(int code, int total) override { tasks.emplace_back(code, total); }
    void Step(int) override {}
    void StepTotal() override {}
    std::vector<std::pair<int, int>> tasks;
};

TEST(Progress, IndexedTasksComposeTheirCode) {
    const struct {
        int kind, total, index, code;
    } cases[] = {
        {6, 1, 3, 9},    // writing system drive 3
        {6, 1, 259, 9},  // the index is taken modulo 256
        {17, 2, 4, 21},
        {33, 5, 1, 34},
        {5, 2, 7, 5},  // other kinds are the code itself
        {1, 0, 9, 1},
    };
    for (const auto& c : cases) {
        RecordingProgress sink;
        sink.BeginIndexedTask(c.kind, c.total, c.index);
        ASSERT_EQ(sink.tasks.size(), 1u);
        EXPECT_EQ(sink.tasks[0], std::make_pair(c.code, c.total)) << c.kind << "/" << c.index;
    }
}

TEST(Progress, ActiveBetweenBeginAndEnd) {
    RecordingProgress sink;
    EXPECT_FALSE(sink.IsActive());
    EXPECT_EQ(sink.Begin(), 0);
    EXPECT_TRUE(sink.IsActive());
    sink.ShowSearching();  // does nothing by default
    sink.End();
    EXPECT_FALSE(sink.IsActive());
}

}  // namespace
