// The wait for the application manager, on the fake platform's virtual
// clock.
#include <gtest/gtest.h>

#include "call_log.h"
#include "launcher/launch.h"

namespace launcher {
namespace {

using namespace testing; // NOLINT(google-build-using-namespace)

// The child ends after 0.2 s: seen at the first query, 1.5 s after the
// launch. After 3.1 s: seen at the third, 4.5 s after. A child whose own exit
// code is 259 is told from a running one by the process object; one whose
// status cannot be asked for ends the wait at the first query.
TEST(WaitForChild, WaitPollsEveryIntervalUntilTheChildHasEnded) {
    struct Case {
        const char *name;
        uint32_t runs_ms;
        uint32_t exit_code;
        uint32_t queries;
        uint32_t returns_after_ms;
        uint32_t failing_queries = 0;
    };
    const Case cases[] = {
        {"ends after 0.2 s", 200, 0, 1, 1500},
        {"ends after 3.1 s", 3100, 0, 3, 4500},
        {"ends after exactly 1.5 s", 1500, 0, 1, 1500},
        {"ends after 3.1 s with code 259", 3100, 259, 3, 4500},
        {"ends at once with code 1", 0, 1, 1, 1500},
        {"runs on, its status unknown", 10000, 0, 0, 1500, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.child_runs_ms = c.runs_ms;
        fake.child_exit_code = c.exit_code;
        fake.failing_queries = c.failing_queries;
        EXPECT_EQ(fake.RunWithTail("BasePackCAB.ini"), kExitDone);
        EXPECT_EQ(fake.status_queries, c.queries);
        EXPECT_EQ(fake.now_ms - fake.child_started_at, c.returns_after_ms);
        EXPECT_EQ(fake.calls.back(), "CloseHandle process");
    }
}

} // namespace
} // namespace launcher
