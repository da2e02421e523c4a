// The six commands of the main window, each the handler of one button.
#pragma once

#include <filesystem>

#include "commands/OutputSurface.h"
#include "commands/PlatformServices.h"

namespace teilomat {

// Each command runs from its first step to its end on the window's thread,
// reading and reporting through `out` and calling the platform through
// `services`. None returns a value or keeps state for the next one.
// Event passes may run other commands inside a running one.

void runPrimalityCheck(OutputSurface& out, PlatformServices& services);   // Command1
void runNextPrimeSearch(OutputSurface& out, PlatformServices& services);  // Command2
void runPrimmarktest(OutputSurface& out, PlatformServices& services);     // Command4
void runRangeListing(OutputSurface& out, PlatformServices& services);     // Command5
// Command6: writes List1 into "Primzahlen.txt" in the working directory.
void runSaveListing(OutputSurface& out, PlatformServices& services,
                    const std::filesystem::path& file = "Primzahlen.txt");

// Command3: Text2 into Text1, unchanged.
void copyResultToInput(OutputSurface& out, PlatformServices& services);

}  // namespace teilomat
