// Runs a fuzz target over files and directories of inputs, so that the
// targets build and their corpus runs without libFuzzer.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 0;
    for (int k = 1; k < argc; ++k) {
        if (std::filesystem::is_directory(argv[k])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[k]))
                runs += replay(entry.path());
        } else {
            runs += replay(argv[k]);
        }
    }
    std::printf("%d inputs replayed\n", runs);
    return runs > 0 ? 0 : 1;
}
