#pragma once

#include <stdexcept>
#include <string>

namespace tarvexctl {

// The program's exit statuses, one per class of failure, so that a script can tell what to do
// next without reading the message.
enum class Exit : int {
    Ok = 0,
    Error = 1,      // anything else: a file on this computer could not be written, ...
    Usage = 2,      // the command line is wrong; nothing was sent to the laser
    NotFound = 3,   // no laser answered, or a named favorite or file does not exist
    Refused = 4,    // a precondition refused the operation before anything was sent
    LaserFault = 5, // the laser refused or failed the operation, or reports a fault
    LinkLost = 6,   // the laser stopped answering part way
    Interrupted = 130,
};

// The class's name in a JSON error document ("refused", "link-lost", ...).
const char* ClassName(Exit status);

// What went wrong and what to do about it: the one line the program ends with.
struct Failure : std::runtime_error {
    Failure(Exit exitStatus, const std::string& what, std::string whatToDo = {})
        : std::runtime_error(what), status(exitStatus), hint(std::move(whatToDo)) {}
    Exit status;
    std::string hint;
};

} // namespace tarvexctl
