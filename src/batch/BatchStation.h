#pragma once

#include "batch/StationProtocol.h"

// The child's side of a station: takes one unit's image from standard input, waits for a
// sign on job.port, writes it (backing up what it held) and reports as StationProtocol.h
// says. Returns the exit code.
namespace batch {

int runStation(const StationJob& job);

} // namespace batch
