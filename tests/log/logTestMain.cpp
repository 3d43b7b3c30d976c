// One executable for both sides: "--child <case> <tag>" runs a trace-switch
// case in this fresh process; anything else runs the tests.
#include "log/logTestSupport.h"

#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return log_test::RunChildCase(argv[2], argv[3]);

    ::testing::InitGoogleTest(&argc, argv);
    // This process's own records: TRACE=1 in a scratch registry.
    ::testing::AddGlobalTestEnvironment(new velmo_test::TracingEnvironment);
    return RUN_ALL_TESTS();
}
