// Running ombrasel-solve as a program from the tests: its output and exit code, a small
// JSON reader for its lines, and the tiny puzzles the tests share.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace fs = std::filesystem;

// ---- a small JSON reader, enough to parse the tool's lines back -----------------

struct Json;
using JsonObject = std::map<std::string, Json>;
using JsonArray = std::vector<Json>;
struct Json {
    std::variant<std::nullptr_t, bool, double, std::string, JsonArray, JsonObject> value;
};

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : s_(text) {}

    // Parses the whole text as one value; throws std::runtime_error on anything else.
    Json parse_all()
    {
        Json v = parse();
        skip();
        if (i_ != s_.size()) fail("text after the value");
        return v;
    }

private:
    std::string_view s_;
    std::size_t i_ = 0;

    [[noreturn]] void fail(const std::string& what)
    {
        throw std::runtime_error(what + " at offset " + std::to_string(i_));
    }
    void skip()
    {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r'))
            ++i_;
    }
    void expect(char ch)
    {
        skip();
        if (i_ >= s_.size() || s_[i_] != ch) fail(std::string("expected ") + ch);
        ++i_;
    }
    bool take(std::string_view word)
    {
        if (s_.substr(i_, word.size()) != word) return false;
        i_ += word.size();
        return true;
    }
    std::string parse_string()
    {
        expect('"');
        std::string out;
        while (true) {
            if (i_ >= s_.size()) fail("unterminated string");
            const char ch = s_[i_++];
            if (ch == '"') return out;
            if (static_cast<unsigned char>(ch) < 0x20) fail("control character in string");
            if (ch != '\\') {
                out += ch;
                continue;
            }
            if (i_ >= s_.size()) fail("unterminated escape");
            const char e = s_[i_++];
            switch (e) {
            case '"': case '\\': case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                if (i_ + 4 > s_.size()) fail("short \\u escape");
                const auto code = static_cast<unsigned>(std::stoul(std::string(s_.substr(i_, 4)), nullptr, 16));
                i_ += 4;
                if (code >= 0x80) fail("\\u escape beyond ASCII not needed here");
                out += static_cast<char>(code);
                break;
            }
            default: fail("bad escape");
            }
        }
    }
    Json parse()
    {
        skip();
        if (i_ >= s_.size()) fail("missing value");
        const char ch = s_[i_];
        if (ch == '{') {
            ++i_;
            JsonObject object;
            skip();
            if (i_ < s_.size() && s_[i_] == '}') {
                ++i_;
                return {object};
            }
            while (true) {
                skip();
                std::string key = parse_string();
                expect(':');
                if (object.count(key)) fail("duplicate key " + key);
                object[key] = parse();
                skip();
                if (i_ < s_.size() && s_[i_] == ',') {
                    ++i_;
                    continue;
                }
                expect('}');
                return {object};
            }
        }
        if (ch == '[') {
            ++i_;
            JsonArray array;
            skip();
            if (i_ < s_.size() && s_[i_] == ']') {
                ++i_;
                return {array};
            }
            while (true) {
                array.push_back(parse());
                skip();
                if (i_ < s_.size() && s_[i_] == ',') {
                    ++i_;
                    continue;
                }
                expect(']');
                return {array};
            }
        }
        if (ch == '"') return {parse_string()};
        if (take("true")) return {true};
        if (take("false")) return {false};
        if (take("null")) return {nullptr};
        const std::size_t start = i_;
        if (i_ < s_.size() && s_[i_] == '-') ++i_;
        while (i_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[i_])) || s_[i_] == '.' ||
                                  s_[i_] == 'e' || s_[i_] == 'E' || s_[i_] == '+' || s_[i_] == '-'))
            ++i_;
        if (start == i_) fail("unexpected character");
        std::size_t used = 0;
        const std::string number(s_.substr(start, i_ - start));
        const double v = std::stod(number, &used);
        if (used != number.size()) fail("bad number");
        return {v};
    }
};

inline const Json& field(const JsonObject& object, const std::string& key)
{
    const auto it = object.find(key);
    if (it == object.end()) throw std::runtime_error("no field " + key);
    return it->second;
}
inline double num_field(const JsonObject& o, const std::string& key) { return std::get<double>(field(o, key).value); }
inline std::string str_field(const JsonObject& o, const std::string& key) { return std::get<std::string>(field(o, key).value); }

// The tool's text output, a string a line.
inline std::vector<std::string> text_lines(const std::string& out)
{
    std::istringstream lines(out);
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);) got.push_back(line);
    return got;
}

// The tool's JSON output: an object a line.
inline std::vector<JsonObject> json_lines(const std::string& out)
{
    std::vector<JsonObject> objects;
    for (const std::string& line : text_lines(out))
        objects.push_back(std::get<JsonObject>(JsonParser(line).parse_all().value));
    return objects;
}

// The "solutions" of a --uniqueness answer: grids of row strings.
inline std::vector<std::vector<std::string>> solutions_of(const JsonObject& o)
{
    std::vector<std::vector<std::string>> grids;
    for (const Json& grid : std::get<JsonArray>(field(o, "solutions").value)) {
        grids.emplace_back();
        for (const Json& row : std::get<JsonArray>(grid.value)) grids.back().push_back(std::get<std::string>(row.value));
    }
    return grids;
}

// ---- running the tool -----------------------------------------------------------

struct Output {
    int exit_code = -1;
    std::string out;
    std::string err;      // without the closing summary
    std::string summary;  // the summary line of a run of more than one puzzle, if any
};

// Moves the last line of err to summary when it is the tool's closing summary.
inline void split_summary(Output& r)
{
    const std::size_t start = r.err.rfind('\n', r.err.size() < 2 ? 0 : r.err.size() - 2);
    const std::size_t line = start == std::string::npos ? 0 : start + 1;
    if (r.err.compare(line, 16, "ombrasel-solve: ") == 0 &&
        r.err.find("; processor time ", line) != std::string::npos) {
        r.summary = r.err.substr(line);
        r.err.resize(line);
    }
}

inline std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class Tool : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              ("ombrasel-tool-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path write(const std::string& name, const std::string& content)
    {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string quoted(const std::string& s)
    {
        std::string out = "'";
        for (const char ch : s) out += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
        return out + "'";
    }

    // Runs the tool in dir with these arguments (shell words) and an optional standard input;
    // a wall limit in seconds, when given, kills it (exit code 137) if it takes longer.
    Output run(const std::string& arguments, const std::string& input = "", int wall_limit = 0)
    {
        const fs::path in = write(".stdin", input);
        const std::string limit = wall_limit ? "timeout -s KILL " + std::to_string(wall_limit) + " " : "";
        const std::string command = "cd " + quoted(dir.string()) + " && " + limit + quoted(OMBRASEL_SOLVE) +
                                    " " + arguments + " <.stdin >.stdout 2>.stderr";
        const int status = std::system(command.c_str());
        Output r;
        r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = slurp(dir / ".stdout");
        r.err = slurp(dir / ".stderr");
        split_summary(r);
        return r;
    }
};

// 2 x 2 puzzles from the solver's own edge cases: one, two and no solutions.
const std::string unique_non = "width 2\nheight 2\nrows\n2\n1\ncolumns\n2\n1\n";
const std::string several_non = "width 2\nheight 2\nrows\n1\n1\ncolumns\n1\n1\n";
const std::string none_non = "width 2\nheight 2\nrows\n2\n0\ncolumns\n2\n0\n";
