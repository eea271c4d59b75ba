// The subcommands of kvrtool. Each takes the arguments after its name and returns the exit
// status: 0 on success, 1 when the recording cannot be used, 2 for a wrong command line.
#pragma once

int RunInfoCommand(int argc, char** argv);
int RunPlayCommand(int argc, char** argv);
int RunSampleCommand(int argc, char** argv);
int RunAudioCommand(int argc, char** argv);
int RunSynthCommand(int argc, char** argv);
int RunFrameCommand(int argc, char** argv);
int RunExportCommand(int argc, char** argv);
