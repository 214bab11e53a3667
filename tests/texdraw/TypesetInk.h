// What LaTeX prints of a drawing: the real toolchain (latex, dvips, Ghostscript) run on a
// document that inputs it, the ink read back as rows of 0 and 1 at 100 dpi.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

inline bool HasLatexToolchain() {
    return std::system("command -v latex >/dev/null 2>&1 && command -v dvips >/dev/null 2>&1 && "
                       "command -v gs >/dev/null 2>&1") == 0;
}

// The ink of a TeXDraw text typeset by latex, dvips and Ghostscript at 100 dpi, as rows of
// 0/1 (empty when the toolchain failed).
inline std::vector<std::string> Typeset(const std::string& drawing,
                                        const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "drawing.tex", std::ios::binary) << drawing << "\n";
    // A whole document is typeset as it stands.
    if (drawing.find("\\documentclass") != std::string::npos)
        std::ofstream(dir / "main.tex", std::ios::binary) << drawing;
    else
        std::ofstream(dir / "main.tex") << "\\documentclass{article}\\usepackage{texdraw}"
                                           "\\pagestyle{empty}\\begin{document}\\input{drawing}"
                                           "\\end{document}\n";
    const std::string command =
        "cd '" + dir.string() +
        "' && latex -interaction=nonstopmode -halt-on-error main.tex >latex.out 2>&1 && "
        "dvips -q -o main.ps main.dvi >dvips.out 2>&1 && gs -q -dSAFER -dBATCH -dNOPAUSE "
        "-sDEVICE=pbmraw -r100 -sOutputFile=main.pbm main.ps >gs.out 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    std::ifstream in(dir / "main.pbm", std::ios::binary);
    // "P4", comment lines, the width and the height, one blank, then the rows.
    std::string token;
    std::vector<int> size;
    while (size.size() < 2 && in >> token) {
        if (token.front() == '#')
            std::getline(in, token);
        else if (token != "P4")
            size.push_back(std::atoi(token.c_str()));
    }
    in.get();
    if (size.size() < 2)
        return {};
    const int w = size[0], h = size[1];
    std::vector<std::string> rows(h, std::string(w, '0'));
    const int stride = (w + 7) / 8;
    std::vector<unsigned char> row(stride);
    for (int y = 0; y < h; ++y) {
        in.read(reinterpret_cast<char*>(row.data()), stride);
        for (int x = 0; x < w; ++x)
            rows[y][x] = (row[x / 8] >> (7 - x % 8)) & 1 ? '1' : '0';
    }
    return rows;
}

// Pixels of a with no ink of b within 2 pixels.
inline int InkAlone(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    int alone = 0;
    for (int y = 0; y < int(a.size()); ++y)
        for (int x = 0; x < int(a[y].size()); ++x) {
            if (a[y][x] != '1')
                continue;
            bool near = false;
            for (int dy = -2; dy <= 2 && !near; ++dy)
                for (int dx = -2; dx <= 2 && !near; ++dx) {
                    const int yy = y + dy, xx = x + dx;
                    near = yy >= 0 && yy < int(b.size()) && xx >= 0 && xx < int(b[yy].size()) &&
                           b[yy][xx] == '1';
                }
            alone += !near;
        }
    return alone;
}
