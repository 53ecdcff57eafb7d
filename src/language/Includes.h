#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the compiler finds an included file, as plain string work: it runs in
// the main file's folder, so every Include (nested ones too) is taken from
// there; the path is made absolute and lower-cased, and that key names the
// file once for the whole program.
namespace lang {

// The key of the file `includePath` names, for a program whose main file is
// in `mainDir` (an absolute folder, '/' separators). Either separator, "."
// and ".." are understood; "Z:" is the root (Wine's drive for "/"); any
// other drive names no file here, and gives nullopt.
std::optional<std::string> ResolveInclude(std::string_view mainDir, std::string_view includePath);

// The key of an absolute path of this system: separators made '/', "." and
// ".." taken out, letters lower-cased.
std::string FileKey(std::string_view absolutePath);

// The folder part of a key or path ("" for a bare name).
std::string_view FolderOf(std::string_view path);

// The file names of a source's Include statements, in order, read without
// building a model: for a host looking for the main file that includes a
// document among the files of a folder.
std::vector<std::string> IncludePaths(std::string_view source);

}  // namespace lang
