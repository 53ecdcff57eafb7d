#include "support/SourceGenerator.h"

#include <filesystem>
#include <fstream>

namespace gen {

namespace {

// One block of code; {p} is the name prefix, {n} the block number.
const char* const kBlocks[] = {
    "Type {p}Enemy{n}\r\n"
    "\tField x#, y#, z#\r\n"
    "\tField health%\r\n"
    "\tField name$ ; display name\r\n"
    "\tField target.{p}Enemy{n}\r\n"
    "End Type\r\n",

    "Global {p}score{n}% = 0, {p}title{n}$ = \"Level; one: start\", {p}player{n}.{p}Enemy{n} = New {p}Enemy{n}, {p}hit{n} = LoadSound(\"hit.wav\")\r\n"
    "Global {p}speed{n}# = 1.5\r\n"
    "Const {p}MAX_ENEMIES{n} = 64, {p}GRAVITY{n}# = 9.81\r\n"
    "Dim {p}grid{n}.{p}Enemy{n}(10, 10), {p}heights{n}#(256)\r\n",

    "Function {p}UpdateEnemy{n}%(e.{p}Enemy{n}, dt#)\r\n"
    "\tLocal dx# = e\\x - {p}player{n}\\x, dy# = e\\y - {p}player{n}\\y\r\n"
    "\tLocal dist# = Sqr(dx * dx + dy * dy)\r\n"
    "\tIf dist < 10 Then\r\n"
    "\t\te\\health = e\\health - 1 : PlaySound {p}hit{n}\r\n"
    "\tElse\r\n"
    "\t\tTranslateEntity e\\health, dx * dt, 0, dy * dt ; chase\r\n"
    "\tEndIf\r\n"
    "\tFor i = 0 To {p}MAX_ENEMIES{n} - 1\r\n"
    "\t\tText 10, i * 12, \"Enemy: \" + i + \"; hp=\" + e\\health\r\n"
    "\tNext\r\n"
    "\tReturn dist > 100\r\n"
    "End Function\r\n",

    ".{p}levelData{n}\r\n"
    "Data 1, 2, 3, \"wall;door\", 4.5\r\n"
    "Data 6, 7, 8, \"key:gold\", 9.0\r\n",

    "Function {p}DrawHud{n}(x, y, caption$=\"Score\")\r\n"
    "\tColor 255, 255, 0\r\n"
    "\tRect x, y, 200, 40, False\r\n"
    "\tText x + 4, y + 4, caption + \": \" + {p}score{n}\r\n"
    "\tFor e.{p}Enemy{n} = Each {p}Enemy{n}\r\n"
    "\t\t{p}UpdateEnemy{n}(e, 0.016)\r\n"
    "\tNext\r\n"
    "End Function\r\n",

    "; ----------------------------------------------------------------\r\n"
    "; main loop of part {n}\r\n"
    "While Not KeyHit(1)\r\n"
    "\tCls : {p}DrawHud{n}(10, 10)\r\n"
    "\tUpdateWorld : RenderWorld\r\n"
    "\tFlip\r\n"
    "Wend\r\n",
};

std::string Expand(const char* block, const std::string& prefix, int n)
{
    std::string out;
    const std::string num = std::to_string(n);
    for (const char* c = block; *c; ++c) {
        if (c[0] == '{' && c[1] == 'p' && c[2] == '}') {
            out += prefix;
            c += 2;
        } else if (c[0] == '{' && c[1] == 'n' && c[2] == '}') {
            out += num;
            c += 2;
        } else {
            out += *c;
        }
    }
    return out;
}

}  // namespace

std::string BlitzSource(int lines, const std::string& prefix, const std::vector<std::string>& includes)
{
    std::string out;
    int written = 0;
    auto addLine = [&](const std::string& line) {
        if (written >= lines)
            return;
        if (written > 0)
            out += "\r\n";
        out += line;
        ++written;
    };
    for (const std::string& inc : includes)
        addLine("Include \"" + inc + "\"");
    for (int n = 0; written < lines; ++n) {
        const std::string block = Expand(kBlocks[n % std::size(kBlocks)], prefix, n);
        std::size_t start = 0;
        while (start < block.size() && written < lines) {
            std::size_t end = block.find("\r\n", start);
            addLine(block.substr(start, end - start));
            start = end + 2;
        }
    }
    return out;
}

std::string BlitzProgram(int lines, const std::string& prefix, const std::vector<std::string>& includes)
{
    std::string out;
    int written = 0;
    for (const std::string& inc : includes) {
        out += (written++ ? "\r\n" : "") + ("Include \"" + inc + "\"");
    }
    // Whole rounds of the blocks, numbered by round, so that each round
    // declares what it uses.
    const int round = static_cast<int>(std::size(kBlocks));
    for (int n = 0; written < lines; ++n) {
        const std::string block = Expand(kBlocks[n % round], prefix, n / round);
        for (std::size_t start = 0; start < block.size();) {
            const std::size_t end = block.find("\r\n", start);
            out += (written++ ? "\r\n" : "") + block.substr(start, end - start);
            start = end + 2;
        }
    }
    return out;
}

std::string WriteProject(const std::string& dir, int mainLines, int includeCount, int includeLines)
{
    namespace fs = std::filesystem;
    fs::create_directories(fs::path(dir) / "lib");
    std::vector<std::string> names;
    for (int i = 0; i < includeCount; ++i) {
        const std::string name = "lib\\part" + std::to_string(i) + ".bb";
        names.push_back(name);
        std::ofstream(fs::path(dir) / "lib" / ("part" + std::to_string(i) + ".bb"), std::ios::binary)
            << BlitzSource(includeLines, "inc" + std::to_string(i) + "_");
    }
    const fs::path main = fs::path(dir) / "main.bb";
    std::ofstream(main, std::ios::binary) << BlitzSource(mainLines, "m", names);
    return main.string();
}

}  // namespace gen
