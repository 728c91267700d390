#pragma once

#include <QStringList>
#include <QTest>

#include <functional>

// The test classes of one kind (unit, ui, e2e) are built into one program, which the first
// argument tells which to run: "tests_ui tst_blocks [QTest's arguments]". CTest runs each class
// in a process of its own, as before; the build links one program instead of one per class.
namespace testmain {

using Runner = std::function<int(int argc, char **argv)>;

struct Registration
{
    // `file` is the test's source file; its name without ".cpp" names the test.
    Registration(const char *file, Runner run);
};

// The program and the arguments that run the current test again, for a test that starts itself
// as a child process.
QString program();
QStringList selfArguments();

}  // namespace testmain

// Registers the class as the test of this file; replaces QTEST_MAIN and its variants.
#define V4400_TEST(TestClass)                                                                      \
    static const testmain::Registration registration##TestClass(                                   \
        __FILE__, [](int argc, char **argv) {                                                      \
            TestClass test;                                                                        \
            QTEST_SET_MAIN_SOURCE_PATH                                                             \
            return QTest::qExec(&test, argc, argv);                                                \
        })
