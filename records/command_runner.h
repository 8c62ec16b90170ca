#pragma once

#include "command_line.h"

namespace estrivo {

// The command-line forms' work. Each opens the journal of `line` (resolved the usual way),
// writes its one-line reason to standard error when it fails, and returns the exit status.
// Both need the matching application object: QCoreApplication for the export,
// QGuiApplication for the labels.
int runExport(const CommandLine &line);
int runLabels(const CommandLine &line);
// The register's forms: the station, the stallions, the movements of doses, the containers
// out, the register and a transport sheet. Those that keep a movement print its ID on standard
// output, the lists print a tab-separated line each. QGuiApplication where line.paints(),
// else QCoreApplication.
int runRegisterCommand(const CommandLine &line);

} // namespace estrivo
