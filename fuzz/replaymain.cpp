// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
// Runs a fuzz target's checks once on every file of the given folders (or on the given files),
// so that the corpus and every input that once failed stay a regression suite of the ordinary
// build. Fails when it found nothing to replay.
#include "fuzz/fuzzcheck.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace {

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path &path)
{
    if (!std::filesystem::is_directory(path))
        return { path };
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string contentsOf(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

} // namespace

int main(int argc, char *argv[])
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::filesystem::path &input : inputsOf(argv[i])) {
            std::fprintf(stderr, "replaying %s\n", input.c_str());
            const std::string data = contentsOf(input);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(data.data()), data.size());
            ++replayed;
        }
    }
    std::fprintf(stderr, "%d input(s) replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
