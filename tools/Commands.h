// The subcommands of kvrtool. Each takes the arguments after its name and returns the exit
// status: 0 on success, 1 when the recording cannot be used, 2 for a wrong command line.
// Each also has a check that only reads its arguments, touching no file: -1 when they are
// complete, else the exit status the command would give (after --help or a complaint).
#pragma once

int RunInfoCommand(int argc, char** argv);
int RunPlayCommand(int argc, char** argv);
int RunSampleCommand(int argc, char** argv);
int RunAudioCommand(int argc, char** argv);
int RunSynthCommand(int argc, char** argv);
int RunFrameCommand(int argc, char** argv);
int RunExportCommand(int argc, char** argv);

int CheckInfoArguments(int argc, char** argv);
int CheckPlayArguments(int argc, char** argv);
int CheckSampleArguments(int argc, char** argv);
int CheckAudioArguments(int argc, char** argv);
int CheckSynthArguments(int argc, char** argv);
int CheckFrameArguments(int argc, char** argv);
int CheckExportArguments(int argc, char** argv);

// What kvrtool does with a command line: run it, or only read the arguments.
enum class ToolAction { kRun, kCheckArguments };

// The whole program, from the program's own argv. With kCheckArguments a complete command
// line gives -1 and nothing is opened or written.
int RunKvrtool(int argc, char** argv, ToolAction action);
