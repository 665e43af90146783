#pragma once

#include "platform/error.h"

#include <functional>
#include <type_traits>
#include <vector>

namespace platform {

// What an error handler decides for the step that failed: run it again, go on with the
// next step, or leave the procedure.
enum class Resume { Retry, Next, Leave };

// The answers of an error box mean: 4 (Retry) runs the failing step again, 5 (Ignore) goes
// on with the next step, any other answer leaves the procedure.
Resume resumeForAnswer(int answer);

// What a step tells the runner once it has run without error.
enum class Flow { Next, Finish };

// One step of a procedure: a callable returning nothing (the procedure goes on) or a Flow
// (Finish ends the procedure early, as a procedure's own "done").
class Step
{
public:
    template<typename F>
    Step(F &&f)
    {
        if constexpr (std::is_void_v<std::invoke_result_t<F &>>)
            m_run = [f = std::forward<F>(f)]() mutable {
                f();
                return Flow::Next;
            };
        else
            m_run = std::forward<F>(f);
    }

    Flow operator()() { return m_run(); }

private:
    std::function<Flow()> m_run;
};

// How a procedure ended.
enum class Outcome {
    Completed, // every step ran, or a step finished the procedure
    Left       // a handler chose to leave after an error
};

// The error-handling convention of the whole program: a procedure is a list of steps;
// when a step raises an Error the handler is asked (with the error and the index of the
// step) and its Resume decides what happens next. A handler may change state the steps
// read (close a connection, rebuild a string) before it answers Retry.
class StepRunner
{
public:
    using Handler = std::function<Resume(const Error &, int stepIndex)>;

    static Outcome run(std::vector<Step> steps, const Handler &handler);
};

} // namespace platform
