// Tracing must be on before the first trace of the process, which may come
// from any test: hence a main of our own with a global environment.
#include "dialogFixture.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new velmo_test::UiTestEnvironment);
    return RUN_ALL_TESTS();
}
