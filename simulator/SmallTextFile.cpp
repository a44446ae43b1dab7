#include "SmallTextFile.h"

#include "files/InputFile.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace tarvex::sim {

std::optional<std::string> ReadSmallTextFile(const std::filesystem::path& file,
                                             std::string& error) {
    std::ifstream in;
    switch (OpenInputFile(file, in)) {
    case InputFile::Opened:
        break;
    case InputFile::Missing:
        error = "cannot read " + file.string() + ": no such file";
        return std::nullopt;
    case InputFile::NotRegular:
        error = "cannot read " + file.string() + ": not a regular file";
        return std::nullopt;
    case InputFile::Unreadable:
        error = "cannot read " + file.string();
        return std::nullopt;
    }
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(file, code);
    const std::string tooLarge = "cannot read " + file.string() + ": larger than " +
                                 std::to_string(kLargestSmallTextFile) + " bytes";
    if (!code && size > kLargestSmallTextFile) {
        error = tooLarge;
        return std::nullopt;
    }
    // Read no further than the limit, should the file grow meanwhile.
    std::string text(kLargestSmallTextFile + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        error = "cannot read " + file.string();
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kLargestSmallTextFile) {
        error = tooLarge;
        return std::nullopt;
    }
    // Line ends as a text-mode read gives them everywhere: files written on Windows end their
    // lines in CR LF.
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lines += text[i];
    return lines;
}

} // namespace tarvex::sim
