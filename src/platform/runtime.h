#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

// The program's view of the process it runs in: where it lives, what it was started with, the
// clock, starting other programs and ending itself. Each service that a test must control
// (clock, launcher, process end) can be replaced.
namespace platform {

// The executable's name as the suite's menu and rights tables know it.
QString programName(); // "RP_PANELCTA"

// The folder named by RP_PANELCTA_HOME, else the executable's folder; no trailing "/".
QString programFolder();

// The arguments after the program name, and the same joined by blanks as one text.
QStringList commandLineArguments();
QString commandLineText();

// The parameter string the program was started with: the variable RP_PANELCTA_PARAMETROS (only
// the same user can read a process's environment) followed by the command line, so that a key
// in the variable wins over the same key on the command line.
QString startupParameterText();

// Keeps the command line and the variable RP_PANELCTA_PARAMETROS for startupParameterText,
// then blanks the arguments in the process's memory, so that /proc/<pid>/cmdline and ps show
// every other user only the program's name, and removes the variable, so that programs started
// from here do not inherit it. Called once, right after the application object is made, with
// the argc and argv that object was given.
void keepStartupParametersHidden(int argc, char **argv);

// An environment variable's value; the empty text when it is not set.
QString environmentVariable(const QString &name);

// The first of TMPDIR, TEMP, TMP that names a folder (its value trimmed of blanks), else the
// system's temporary folder; no trailing "/".
QString temporaryFolder();

// The current local date and time; tests fix it.
QDateTime now();
void setClock(std::function<QDateTime()> clock); // an empty function restores the real clock

// Starts other programs and opens documents with their desktop program.
class Launcher
{
public:
    virtual ~Launcher();
    // Starts program with its arguments; with wait set, returns once it has ended. False when
    // the program could not be started.
    virtual bool start(const QString &program, const QStringList &arguments, bool wait) = 0;
    // Opens a file or address with the desktop's program for it.
    virtual bool openDocument(const QString &path) = 0;
    // Opens a file with the desktop's program for it and goes on at once; failed runs later,
    // once, when no program could be started for it or the desktop's opener ends in an error.
    virtual void openDocumentReportingFailure(const QString &path, std::function<void()> failed);
};
Launcher &launcher();
void setLauncher(Launcher *launcher); // nullptr restores the real one; the caller keeps ownership

// Switches the browser engine's sandbox off when the program runs as root, where the engine
// refuses to start with it and would end the program at the first breakdown. Must run before
// the engine starts; other users keep the sandbox.
void allowBrowserEngineAsRoot();

// Raised by a test's process-end hook so a test can see the program end "at once" without
// the test process ending.
struct ProcessEnded : std::exception
{
    int exitCode = 0;
    explicit ProcessEnded(int code) : exitCode(code) { }
    const char *what() const noexcept override { return "process ended"; }
};

// Ends the process at once, as the program does when no connection was accepted. The hook, when
// installed, runs first and normally throws ProcessEnded; if it returns the process ends anyway.
[[noreturn]] void endProcess(int exitCode);
void setEndProcessHook(std::function<void(int exitCode)> hook);

} // namespace platform
