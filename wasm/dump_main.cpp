// web-core-dump: runs calculations through the browser board's session and
// prints each board's display list, one JSON line per calculation. Built
// natively and with em++ (run by node), so that a test can compare the two
// builds op by op.
//
// Input: one calculation a line, "EXPRESSION" or "NAME=VALUE,...|EXPRESSION";
// the expression is typed key by key (operators from the numeric pad, "="
// as Enter); empty lines and lines starting with '#' are skipped.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "core/keymap.h"
#include "wasm/session.h"

namespace {

// The key that types `c`, with its modifiers.
bool keyOf(char c, core::Key& key, unsigned& mods) {
    using core::Key;
    mods = core::Mods::None;
    if (c >= '0' && c <= '9') {
        key = static_cast<Key>(static_cast<int>(Key::Digit0) + (c - '0'));
        return true;
    }
    switch (c) {
        case '.':
            key = Key::Period;
            return true;
        case '=':
            key = Key::Enter;
            return true;
        case '+':
            key = Key::Plus;
            break;
        case '-':
            key = Key::Minus;
            break;
        case '*':
            key = Key::Asterisk;
            break;
        case '/':
            key = Key::Slash;
            break;
        default:
            return false;
    }
    mods = core::Mods::Keypad;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: web-core-dump CASES_FILE\n";
        return 64;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "web-core-dump: cannot read " << argv[1] << "\n";
        return 66;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        web::Session s;
        std::string expr = line;
        if (const size_t bar = line.find('|'); bar != std::string::npos) {
            std::istringstream conds(line.substr(0, bar));
            std::string nv;
            while (std::getline(conds, nv, ',')) {
                const size_t eq = nv.find('=');
                if (eq != std::string::npos)
                    s.setCondition(nv.substr(0, eq), std::stoi(nv.substr(eq + 1)));
            }
            expr = line.substr(bar + 1);
        }
        for (char c : expr) {
            core::Key key;
            unsigned mods;
            if (keyOf(c, key, mods)) s.key(static_cast<int>(key), mods, false);
        }
        std::cout << s.status() << '\t' << s.ops(0) << '\n';
    }
    return 0;
}
