#include "platform/steps.h"
#include "scripted_dialogs.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using platform::Error;
using platform::Flow;
using platform::Outcome;
using platform::Resume;
using platform::StepRunner;
using platform::msgbox::AbortRetryIgnore;

namespace {

// A three-step procedure whose middle step fails the given number of times; every failure is
// reported in an error box and the scripted answer decides.
struct FailingProcedure
{
    int failuresLeft;
    std::vector<std::string> trace;

    Outcome run()
    {
        return StepRunner::run(
            {[&] { trace.push_back("first"); },
             [&] {
                 trace.push_back("second");
                 if (failuresLeft-- > 0)
                     throw Error(13, QStringLiteral("No coinciden los tipos"));
             },
             [&] { trace.push_back("third"); }},
            [&](const Error &error, int) {
                return platform::resumeForAnswer(platform::userDialogs().messageBox(
                    error.description(), AbortRetryIgnore, QStringLiteral("Prueba")));
            });
    }
};

} // namespace

TEST(StepRunner, AnswerDecidesWhatFollowsAFailure)
{
    struct Case
    {
        const char *name;
        int failures;
        std::vector<int> answers;
        Outcome outcome;
        std::vector<std::string> trace;
    };
    const std::vector<Case> cases = {
        {"no failure", 0, {}, Outcome::Completed, {"first", "second", "third"}},
        {"retry runs the step again",
         1,
         {4},
         Outcome::Completed,
         {"first", "second", "second", "third"}},
        {"ignore goes on with the next step",
         1,
         {5},
         Outcome::Completed,
         {"first", "second", "third"}},
        {"abort leaves", 1, {3}, Outcome::Left, {"first", "second"}},
        {"retry until it passes",
         2,
         {4, 4},
         Outcome::Completed,
         {"first", "second", "second", "second", "third"}},
        {"retry then abort", 2, {4, 3}, Outcome::Left, {"first", "second", "second"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::ScriptedDialogs dialogs;
        for (int a : c.answers)
            dialogs.answer(a);
        FailingProcedure procedure{c.failures, {}};
        EXPECT_EQ(procedure.run(), c.outcome);
        EXPECT_EQ(procedure.trace, c.trace);
        EXPECT_EQ(dialogs.count(), int(c.answers.size()));
    }
}

TEST(StepRunner, FinishEndsTheProcedureWithoutError)
{
    std::vector<int> ran;
    const Outcome outcome = StepRunner::run({[&] { ran.push_back(0); },
                                             [&] {
                                                 ran.push_back(1);
                                                 return Flow::Finish;
                                             },
                                             [&] { ran.push_back(2); }},
                                            [](const Error &, int) { return Resume::Leave; });
    EXPECT_EQ(outcome, Outcome::Completed);
    EXPECT_EQ(ran, (std::vector<int>{0, 1}));
}

TEST(StepRunner, HandlerSeesTheFailingStepAndTheError)
{
    int seenStep = -1;
    std::int32_t seenNumber = 0;
    StepRunner::run(
        {[] {}, [] { throw Error(3704, QStringLiteral("cerrado"), QStringLiteral("ADODB")); }},
        [&](const Error &error, int step) {
            seenStep = step;
            seenNumber = error.number();
            return Resume::Next;
        });
    EXPECT_EQ(seenStep, 1);
    EXPECT_EQ(seenNumber, 3704);
}

TEST(ScriptedDialogs, RecordsTitleTextAndStyleAndAnswersInOrder)
{
    testing_support::ScriptedDialogs dialogs;
    dialogs.answer(platform::msgbox::Yes).answer(platform::msgbox::No);
    auto &ui = platform::userDialogs();
    EXPECT_EQ(ui.messageBox(QStringLiteral("¿Seguro?"), 36, QStringLiteral("Aviso")),
              platform::msgbox::Yes);
    EXPECT_EQ(ui.messageBox(QStringLiteral("Sin título")), platform::msgbox::No);
    ASSERT_EQ(dialogs.count(), 2);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Aviso"));
    EXPECT_EQ(dialogs.shown()[0].text, QStringLiteral("¿Seguro?"));
    EXPECT_EQ(dialogs.shown()[0].style, 36);
    EXPECT_EQ(dialogs.shown()[1].title, QStringLiteral("RP_PANELCTA"));
    EXPECT_EQ(dialogs.shown()[1].style, 0);
}

static void showBoxWithNothingQueued()
{
    testing_support::ScriptedDialogs dialogs;
    EXPECT_EQ(platform::userDialogs().messageBox(QStringLiteral("¿Y ahora?")),
              platform::msgbox::Cancel);
}

TEST(ScriptedDialogs, ABoxWithNoAnswerQueuedFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(showBoxWithNothingQueued(), "unexpected message box");
}
