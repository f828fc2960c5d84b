// The private-profile (INI) functions on real files, by Windows paths (file.h). Section and key
// names match without letter case and without the blanks around them; values lose their
// surrounding blanks and one pair of enclosing quotes, as the real functions do. A write replaces
// the whole file atomically (a new file beside it, then rename), so a crash or a full disk never
// leaves a half-written file, and every other line stays as it was. A read-only file is refused,
// and so is a file held open without sharing, which a read answers as for a missing key.
#include "platform/headless/file.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <strings.h>
#include <vector>

namespace {

bool ReadFile(const std::string &path, std::string *contents) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    *contents = text.str();
    return file.is_open() && !file.bad();
}

struct Line {
    std::string text;   // without its line end
    std::string ending; // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string &contents) {
    std::vector<Line> lines;
    for (size_t start = 0; start < contents.size();) {
        const size_t end = std::min(contents.find('\n', start), contents.size());
        Line line = {contents.substr(start, end - start), end < contents.size() ? "\n" : ""};
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.ending = "\r" + line.ending;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string Trim(const std::string &text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

bool SameName(const std::string &a, const char *b) {
    return strcasecmp(a.c_str(), b) == 0;
}

// The section name of a header line "[name]", or false for any other line.
bool SectionHeader(const std::string &line, std::string *name) {
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] != '[')
        return false;
    size_t close = trimmed.find(']');
    *name = Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// The key and raw value of a "key=value" line; comments and lines without '=' are not keys.
bool KeyLine(const std::string &line, std::string *key, std::string *value) {
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';')
        return false;
    size_t equals = trimmed.find('=');
    if (equals == std::string::npos)
        return false;
    *key = Trim(trimmed.substr(0, equals));
    *value = Trim(trimmed.substr(equals + 1));
    return true;
}

std::string Unquote(const std::string &value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

// Where a section's lines lie: [header, end), end being the next header or the end of the file.
bool FindSection(const std::vector<Line> &lines, const char *section, size_t *header, size_t *end) {
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!SectionHeader(lines[i].text, &name) || !SameName(name, section))
            continue;
        size_t j = i + 1;
        while (j < lines.size() && !SectionHeader(lines[j].text, &name))
            ++j;
        *header = i;
        *end = j;
        return true;
    }
    return false;
}

bool FindKey(const std::vector<Line> &lines, size_t header, size_t end, const char *key,
             size_t *index, std::string *value) {
    std::string name;
    for (size_t i = header + 1; i < end; ++i) {
        if (KeyLine(lines[i].text, &name, value) && SameName(name, key)) {
            *index = i;
            return true;
        }
    }
    return false;
}

// Fails with the last-error value set from what the host reported.
bool ReplaceFile(const std::string &path, const std::string &contents, mode_t mode) {
    if (!headless::TakeDiskWrite())
        return false;
    std::string temporary = path + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        headless::SetLastErrorFromErrno(errno);
        return false;
    }
    // A file takes all it is given unless the disk is full.
    const ssize_t wrote = write(fd, contents.data(), contents.size());
    int error = wrote < 0 ? errno : 0;
    if (wrote >= 0 && static_cast<size_t>(wrote) < contents.size())
        error = ENOSPC;
    if (error == 0 && (fchmod(fd, mode) != 0 || fsync(fd) != 0))
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    headless::SetLastErrorFromErrno(error != 0 ? error : errno);
    unlink(temporary.c_str());
    return false;
}

} // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR default_text, LPSTR buffer,
                                      DWORD size, LPCSTR file_name) {
    std::string contents;
    // Opened for reading, sharing it with readers and writers, as the real functions open it.
    const bool read = section != nullptr && key != nullptr && file_name != nullptr &&
                      headless::MayOpen(headless::HostPath(file_name), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE) &&
                      ReadFile(headless::HostPath(file_name), &contents);
    const std::vector<Line> lines = SplitLines(contents);
    size_t header, end, index;
    std::string value;
    if (read && FindSection(lines, section, &header, &end) &&
        FindKey(lines, header, end, key, &index, &value))
        return headless::CopyText(Unquote(value), buffer, size);
    return headless::CopyText(Trim(default_text != nullptr ? default_text : ""), buffer, size);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR text, LPCSTR file_name) {
    if (section == nullptr || key == nullptr || file_name == nullptr)
        return FALSE;
    const std::string path = headless::HostPath(file_name);
    std::string contents;
    struct stat info;
    const bool exists = stat(path.c_str(), &info) == 0;
    if (exists && (!(info.st_mode & 0222) || !ReadFile(path, &contents))) {
        headless::SetLastErrorFromErrno(info.st_mode & 0222 ? errno : EACCES);
        return FALSE;
    }
    if (!headless::MayOpen(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE))
        return FALSE;
    std::vector<Line> lines = SplitLines(contents);
    // A last line without its line end gets one before anything is added after it; a lone CR
    // is no line end, or the next section's header would share its line.
    if (!lines.empty() && lines.back().ending != "\n" && lines.back().ending != "\r\n")
        lines.back().ending = "\r\n";
    size_t header, end, index;
    std::string value;
    const bool has_section = FindSection(lines, section, &header, &end);
    if (text == nullptr) {
        // A null text deletes the key.
        if (has_section && FindKey(lines, header, end, key, &index, &value))
            lines.erase(lines.begin() + static_cast<long>(index));
    } else {
        const Line entry = {std::string(key) + "=" + text, "\r\n"};
        if (!has_section) {
            lines.push_back({"[" + std::string(section) + "]", "\r\n"});
            lines.push_back(entry);
        } else if (FindKey(lines, header, end, key, &index, &value)) {
            lines[index].text = entry.text;
        } else {
            // After the section's last non-blank line, so that a blank line before the next
            // section stays where it was.
            size_t at = end;
            while (at > header + 1 && Trim(lines[at - 1].text).empty())
                --at;
            lines.insert(lines.begin() + static_cast<long>(at), entry);
        }
    }
    std::string updated;
    for (const Line &line : lines)
        updated += line.text + line.ending;
    return ReplaceFile(path, updated, exists ? info.st_mode & 07777 : 0644) ? TRUE : FALSE;
}
