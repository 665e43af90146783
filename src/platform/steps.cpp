#include "platform/steps.h"

namespace platform {

Resume resumeForAnswer(int answer)
{
    switch (answer) {
    case 4:
        return Resume::Retry;
    case 5:
        return Resume::Next;
    default:
        return Resume::Leave;
    }
}

Outcome StepRunner::run(std::vector<Step> steps, const Handler &handler)
{
    for (int i = 0; i < int(steps.size());) {
        try {
            if (steps[i]() == Flow::Finish)
                return Outcome::Completed;
            ++i;
        } catch (const Error &error) {
            switch (handler(error, i)) {
            case Resume::Retry:
                break;
            case Resume::Next:
                ++i;
                break;
            case Resume::Leave:
                return Outcome::Left;
            }
        }
    }
    return Outcome::Completed;
}

} // namespace platform
