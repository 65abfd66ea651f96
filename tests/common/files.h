// Small file helpers for tests that look at the INI file as bytes.
#pragma once
#include <string>

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
void DeleteFileIfAny(const std::string& path);
// A Wine path written by CMake with forward slashes, as Windows spells it.
std::string WinPath(std::string path);
bool FileExists(const std::string& path);
// The per-user folder the plugin falls back to when the host names none.
std::string AppDataPluginsFolder();
