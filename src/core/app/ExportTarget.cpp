#include "core/app/ExportTarget.h"

#include <vector>

#include "core/base/PathRules.h"

namespace vm {
namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool HasDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// The root ("c:", "\\server\share") and the rest of an absolute path.
void SplitRoot(const std::string& path, std::string* root, std::string* rest) {
    if (path.compare(0, 2, "\\\\") == 0) {
        size_t end = path.find('\\', 2);
        if (end != std::string::npos) end = path.find('\\', end + 1);
        if (end == std::string::npos) end = path.size();
        *root = path.substr(0, end);
        *rest = path.substr(end);
        return;
    }
    *root = HasDrive(path) ? path.substr(0, 2) : std::string();
    *rest = path.substr(root->size());
}

std::string Absolute(const std::string& path, const std::string& directory) {
    if (path.compare(0, 2, "\\\\") == 0) return path;
    const std::string drive = HasDrive(directory) ? directory.substr(0, 2) : std::string();
    if (HasDrive(path)) {
        if (path.size() > 2 && path[2] == '\\') return path;
        // "C:name": relative to the drive's current directory, which we know only for ours.
        const bool ours = !drive.empty() && LowerAscii(drive[0]) == LowerAscii(path[0]);
        return (ours ? directory : path.substr(0, 2)) + "\\" + path.substr(2);
    }
    if (!path.empty() && path[0] == '\\') return drive + path;
    return directory + "\\" + path;
}

}  // namespace

std::string ComparablePath(const std::string& path, const std::string& currentDirectory) {
    std::string slashed = path;
    for (char& c : slashed) c = c == '/' ? '\\' : c;
    std::string directory = currentDirectory;
    for (char& c : directory) c = c == '/' ? '\\' : c;
    std::string root;
    std::string rest;
    SplitRoot(Absolute(slashed, directory), &root, &rest);

    std::vector<std::string> names;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        std::string name = rest.substr(start, end - start);
        start = end + 1;
        if (name == "..") {
            if (!names.empty()) names.pop_back();
            continue;
        }
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
        if (!name.empty()) names.push_back(std::move(name));
    }
    std::string full = root;
    for (const std::string& name : names) full += "\\" + name;
    if (names.empty()) full += "\\";
    for (char& c : full) c = LowerAscii(c);
    return full;
}

ExportTargetVerdict CheckExportTarget(FileSystem& files, const std::string& name,
                                      const std::string& programFolder,
                                      const std::string& currentDirectory, const ProgramFiles& own,
                                      std::string* path) {
    *path = ResolveReportPath(programFolder, name);
    if (path->empty() || name.size() > kMaxPath) return ExportTargetVerdict::TooLong;
    const OutputPathProblem problem = CheckOutputPath(*path);
    if (problem == OutputPathProblem::Device || problem == OutputPathProblem::Stream) {
        return ExportTargetVerdict::InvalidName;
    }
    const std::string target = ComparablePath(*path, currentDirectory);
    if (target.size() > kMaxPath) return ExportTargetVerdict::TooLong;
    for (const std::string* file : {&own.configPath, &own.languagePath, &own.programPath}) {
        if (file->empty()) continue;
        if (ComparablePath(*file, currentDirectory) == target || files.SameFile(*file, *path)) {
            return ExportTargetVerdict::ProgramFile;
        }
    }
    return ExportTargetVerdict::Accepted;
}

uint32_t ExportTargetError(ExportTargetVerdict verdict) {
    switch (verdict) {
        case ExportTargetVerdict::Accepted:
            return 0;
        case ExportTargetVerdict::TooLong:
            return kErrorFilenameTooLong;
        case ExportTargetVerdict::InvalidName:
            return kErrorInvalidName;
        case ExportTargetVerdict::ProgramFile:
            break;
    }
    return kErrorAccessDenied;
}

}  // namespace vm
