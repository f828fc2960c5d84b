// A scratch folder that a test's saver takes for its own: the program path on the command line
// lies in it, written as a Windows path (the headless profile functions map backslashes back),
// so the settings file is Frellis.ini there. The folder goes, with everything in it, when the
// object does.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

struct ScratchFolder {
    ScratchFolder() {
        char pattern[] = "/tmp/frellis-test-XXXXXX";
        const char *made = mkdtemp(pattern);
        path = made != nullptr ? made : "/tmp";
    }
    ~ScratchFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    static std::string WindowsPath(std::string host_path) {
        for (char &c : host_path) {
            if (c == '/')
                c = '\\';
        }
        return host_path;
    }
    // The quoted program path, as the platform starts the saver.
    std::string QuotedProgram() const { return "\"" + WindowsPath(path + "/frellis.scr") + "\""; }
    std::string IniPath() const { return path + "/Frellis.ini"; }
    bool IniExists() const { return std::ifstream(IniPath()).good(); }
    void WriteIni(const std::string &text) const { std::ofstream(IniPath()) << text; }
    std::string ReadIni() const {
        std::ifstream in(IniPath());
        std::stringstream contents;
        contents << in.rdbuf();
        return contents.str();
    }

    std::string path;
};
