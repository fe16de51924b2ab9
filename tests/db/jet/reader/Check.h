#pragma once

// A small test harness on the standard library alone, so that the reader's
// tests build wherever the reader does (a cross compiler, Wine): TEST(name)
// defines a case, CHECK and CHECK_EQ report a failure and let the case go on,
// and main runs every case (or the ones whose names contain argv filters) and
// returns non-zero when any check failed.

#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace check {

struct Case {
    const char* name;
    std::function<void()> body;
};

inline std::vector<Case>& cases()
{
    static std::vector<Case> all;
    return all;
}

inline int& failures()
{
    static int n = 0;
    return n;
}

inline std::string& current()
{
    static std::string name;
    return name;
}

struct Register {
    Register(const char* name, std::function<void()> body) { cases().push_back({name, std::move(body)}); }
};

inline void fail(const char* file, int line, const std::string& what)
{
    ++failures();
    std::cerr << "FAIL " << current() << " (" << file << ":" << line << "): " << what << "\n";
}

template <class A, class B>
void equal(const A& a, const B& b, const char* as, const char* bs, const char* file, int line)
{
    if (a == b)
        return;
    std::ostringstream s;
    s << as << " == " << bs << "\n    got:      " << a << "\n    expected: " << b;
    fail(file, line, s.str());
}

// Extra command-line arguments that are not filters: "--dir=PATH" options.
inline std::vector<std::string>& options()
{
    static std::vector<std::string> o;
    return o;
}

inline std::string option(const std::string& key)
{
    for (const std::string& o : options())
        if (o.rfind("--" + key + "=", 0) == 0)
            return o.substr(key.size() + 3);
    return {};
}

inline int run(int argc, char** argv)
{
    std::vector<std::string> filters;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) == 0)
            options().push_back(a);
        else
            filters.push_back(a);
    }
    int ran = 0;
    for (const Case& c : cases()) {
        bool wanted = filters.empty();
        for (const std::string& f : filters)
            wanted = wanted || std::string(c.name).find(f) != std::string::npos;
        if (!wanted)
            continue;
        current() = c.name;
        const int before = failures();
        try {
            c.body();
        } catch (const std::exception& e) {
            fail(__FILE__, __LINE__, std::string("exception: ") + e.what());
        }
        ++ran;
        std::cout << (failures() == before ? "PASS " : "FAIL ") << c.name << "\n";
    }
    std::cout << ran << " cases, " << failures() << " failed checks\n";
    return failures() == 0 && ran > 0 ? 0 : 1;
}

} // namespace check

#define CHECK_CAT2(a, b) a##b
#define CHECK_CAT(a, b) CHECK_CAT2(a, b)
#define TEST(name)                                                                          \
    static void CHECK_CAT(test_, name)();                                                   \
    static const check::Register CHECK_CAT(reg_, name)(#name, &CHECK_CAT(test_, name));    \
    static void CHECK_CAT(test_, name)()
#define CHECK(cond)                                                                          \
    do {                                                                                     \
        if (!(cond))                                                                         \
            check::fail(__FILE__, __LINE__, #cond);                                          \
    } while (0)
#define CHECK_EQ(a, b) check::equal((a), (b), #a, #b, __FILE__, __LINE__)
#define CHECK_MAIN() \
    int main(int argc, char** argv) { return check::run(argc, argv); }
