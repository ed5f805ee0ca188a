#include "app/RegularFile.h"

namespace velmora {

const char* describeFileOutcome(FileOutcome outcome) {
    switch (outcome) {
    case FileOutcome::Done: return "was read or written";
    case FileOutcome::Missing: return "does not exist";
    case FileOutcome::NotRegularFile: return "is not a regular file (a device, a pipe or a folder)";
    case FileOutcome::TooLarge: return "is too large";
    case FileOutcome::Failed: break;
    }
    return "could not be read or written";
}

} // namespace velmora
