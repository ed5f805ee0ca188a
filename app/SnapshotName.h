// The snapshots' slots and a snapshot's name: what the command line, the request's checks and the
// store of snapshots accept.
#pragma once

#include <cstddef>
#include <string>

namespace velmora {

constexpr int SNAPSHOT_COUNT = 8;
constexpr size_t SNAPSHOT_NAME_MAX = 24; // characters

// "" when `name` is 1..24 characters of UTF-8 text without control
// characters; otherwise what is wrong.
std::string snapshotNameProblem(const std::string& name);

} // namespace velmora
