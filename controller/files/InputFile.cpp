#include "files/InputFile.h"

#include <system_error>

namespace tarvex {

InputFile OpenInputFile(const std::filesystem::path& path, std::ifstream& in) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return InputFile::Missing;
    if (!std::filesystem::is_regular_file(status))
        return InputFile::NotRegular;
    in.open(path, std::ios::binary);
    return in ? InputFile::Opened : InputFile::Unreadable;
}

} // namespace tarvex
