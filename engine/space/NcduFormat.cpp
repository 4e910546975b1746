#include "NcduFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <string_view>
#include <unistd.h>
#include <unordered_map>
#include <vector>

// An export can hold millions of entries, so it is read as it streams past: an explicit stack of
// the folders open, never the whole document, never recursion. Everything a file says is bounded
// before it is believed: nesting, the length of a name, the size of a number.

namespace Engine {

namespace {

// Deeper than the deepest chains people make on purpose, far below what memory allows.
constexpr std::size_t deepest = 65536;
// The longest name a file system gives (255 bytes on Linux; more where names are converted).
constexpr std::size_t longestName = 4096;
// A root is a path; longer than any path a system opens is not one.
constexpr std::size_t longestRoot = 65536;
// Larger than any disk: past it a size is a lie, and sums of many could overflow.
constexpr qint64 largestSize = qint64(1) << 60;

// The file's bytes, a block at a time, with where each lies.
class Input {
public:
    explicit Input(int descriptor) : fd(descriptor) {}
    // The next byte, or -1 at the end (or on a read error: `error` says).
    int peek()
    {
        if (at == filled && !refill())
            return -1;
        return static_cast<unsigned char>(block[at]);
    }
    int get()
    {
        const int c = peek();
        if (c >= 0)
            ++at;
        return c;
    }
    qint64 offset() const { return base + static_cast<qint64>(at); }
    // Up to `most` bytes from here, not taken: what a problem shows of the file.
    std::string excerpt(std::size_t most)
    {
        peek();
        return std::string(block.data() + at, std::min(most, filled - at));
    }
    int error = 0;

private:
    bool refill()
    {
        // What is left of the block (never more than an excerpt's worth) moves to its start.
        base += static_cast<qint64>(at);
        std::memmove(block.data(), block.data() + at, filled - at);
        filled -= at;
        at = 0;
        for (;;) {
            const ssize_t got = read(fd, block.data() + filled, block.size() - filled);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                error = errno;
            if (got <= 0)
                return filled > 0;
            filled += static_cast<std::size_t>(got);
            return true;
        }
    }
    int fd;
    std::vector<char> block = std::vector<char>(1 << 20);
    std::size_t at = 0;
    std::size_t filled = 0;
    qint64 base = 0;
};

struct Number {
    bool negative = false;
    bool whole = true;     // no fraction or exponent
    bool tooLarge = false; // more digits than an int64 holds
    qint64 value = 0;
};

// What an entry's object says.
struct Info {
    std::string name;
    qint64 nameAt = -1;
    qint64 asize = 0;
    qint64 dsize = 0;
    std::optional<std::uint64_t> dev;
    std::optional<std::uint64_t> ino;
    qint64 mtime = 0;
    qint64 timestamp = 0; // the header's
    bool hlnkc = false;
    bool readError = false;
    std::string excluded;
};

class Reader {
public:
    Reader(int fd, const std::atomic<bool> *stopFlag) : in(fd), stop(stopFlag) {}

    ScanRead run()
    {
        if (read())
            result.tree->endScan();
        else
            result.tree.reset();
        return std::move(result);
    }

private:
    struct Open {
        SpaceTree::Index index;
        std::uint64_t dev;
        // The names so far by their hash, to find a second entry of a name; made on demand.
        std::unordered_map<std::size_t, SpaceTree::Index> names;
    };

    bool fail(ScanProblem problem, qint64 offset, std::string detail = {})
    {
        if (result.problem == ScanProblem::none) {
            if (problem == ScanProblem::notAScan && in.error != 0) {
                problem = ScanProblem::unreadable;
                detail = std::strerror(in.error);
            }
            result.problem = problem;
            result.offset = offset;
            result.detail = std::move(detail);
        }
        return false;
    }
    // Not what an export holds here: says what is.
    bool unexpected() { return fail(ScanProblem::notAScan, in.offset(), in.excerpt(24)); }

    void space()
    {
        for (int c = in.peek(); c == ' ' || c == '\n' || c == '\r' || c == '\t'; c = in.peek())
            in.get();
    }
    bool expect(char wanted)
    {
        space();
        if (in.peek() != static_cast<unsigned char>(wanted))
            return unexpected();
        in.get();
        return true;
    }
    bool literal(std::string_view word)
    {
        const qint64 at = in.offset();
        for (const char c : word) {
            if (in.get() != static_cast<unsigned char>(c))
                return fail(ScanProblem::notAScan, at, std::string(word.substr(0, 1)));
        }
        return true;
    }

    static int hexValue(int c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }
    bool hex4(unsigned &value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexValue(in.peek());
            if (digit < 0)
                return unexpected();
            in.get();
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return true;
    }
    static void putUtf8(std::string &out, unsigned code)
    {
        // A lone surrogate keeps its three bytes, as ncdu writes it.
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xc0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3f));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xe0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
            out += static_cast<char>(0x80 | (code & 0x3f));
        } else {
            out += static_cast<char>(0xf0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
            out += static_cast<char>(0x80 | (code & 0x3f));
        }
    }

    // A string, its escapes undone; bytes that are not UTF-8 are taken as they stand, as ncdu
    // writes them. Kept in `out` (when given) up to `most` bytes; a longer one is a bad name.
    bool string(std::string *out, std::size_t most)
    {
        space();
        const qint64 start = in.offset();
        if (in.get() != '"')
            return fail(ScanProblem::notAScan, start, in.excerpt(24));
        std::string scratch;
        std::string &text = out ? *out : scratch;
        text.clear();
        unsigned high = 0; // the first half of a pair, until the second follows
        const auto flush = [&] {
            if (high != 0)
                putUtf8(text, high);
            high = 0;
        };
        for (;;) {
            if (out && text.size() > most)
                return fail(ScanProblem::badName, start, text.substr(0, 64));
            if (!out)
                text.clear();
            const int c = in.get();
            if (c < 0)
                return fail(ScanProblem::notAScan, in.offset());
            if (c < 0x20)
                return fail(ScanProblem::notAScan, in.offset() - 1, std::string(1, char(c)));
            if (c != '\\') {
                flush();
                if (c == '"')
                    return true;
                text += static_cast<char>(c);
                continue;
            }
            const int escaped = in.get();
            if (escaped == 'u') {
                unsigned code = 0;
                if (!hex4(code))
                    return false;
                if (high != 0 && code >= 0xdc00 && code < 0xe000) {
                    putUtf8(text, 0x10000 + ((high - 0xd800) << 10) + (code - 0xdc00));
                    high = 0;
                    continue;
                }
                flush();
                if (code >= 0xd800 && code < 0xdc00)
                    high = code;
                else
                    putUtf8(text, code);
                continue;
            }
            flush();
            switch (escaped) {
            case '"':
            case '\\':
            case '/':
                text += static_cast<char>(escaped);
                break;
            case 'b':
                text += '\b';
                break;
            case 'f':
                text += '\f';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            default:
                return fail(ScanProblem::notAScan, in.offset() - 1,
                            escaped < 0 ? std::string() : std::string(1, char(escaped)));
            }
        }
    }

    bool number(Number &out)
    {
        space();
        out = {};
        const qint64 start = in.offset();
        if (in.peek() == '-') {
            in.get();
            out.negative = true;
        }
        bool digits = false;
        for (int c = in.peek(); c >= '0' && c <= '9'; c = in.peek()) {
            in.get();
            digits = true;
            const int digit = c - '0';
            if (out.value > (std::numeric_limits<qint64>::max() - digit) / 10)
                out.tooLarge = true;
            else
                out.value = out.value * 10 + digit;
        }
        if (!digits)
            return fail(ScanProblem::notAScan, start, in.excerpt(24));
        if (in.peek() == '.') {
            in.get();
            out.whole = false;
            if (!(in.peek() >= '0' && in.peek() <= '9'))
                return unexpected();
            while (in.peek() >= '0' && in.peek() <= '9')
                in.get();
        }
        if (in.peek() == 'e' || in.peek() == 'E') {
            in.get();
            out.whole = false;
            if (in.peek() == '+' || in.peek() == '-')
                in.get();
            if (!(in.peek() >= '0' && in.peek() <= '9'))
                return unexpected();
            while (in.peek() >= '0' && in.peek() <= '9')
                in.get();
        }
        return true;
    }
    bool size(qint64 &out)
    {
        space();
        const qint64 at = in.offset();
        Number n;
        if (!number(n))
            return false;
        if (n.negative && (n.value != 0 || !n.whole))
            return fail(ScanProblem::badSize, at, "-" + std::to_string(n.value));
        if (!n.whole)
            return fail(ScanProblem::badSize, at, std::to_string(n.value) + "…");
        if (n.tooLarge || n.value > largestSize)
            return fail(ScanProblem::badSize, at,
                        n.tooLarge ? std::string("…") : std::to_string(n.value));
        out = n.value;
        return true;
    }
    bool identity(std::optional<std::uint64_t> &out)
    {
        Number n;
        if (!number(n))
            return false;
        // Only compared with one another: an odd one is no link at all.
        out = n.negative || n.tooLarge || !n.whole ? std::nullopt
                                                   : std::optional<std::uint64_t>(n.value);
        return true;
    }
    bool flag(bool &out)
    {
        space();
        const int c = in.peek();
        if (c == 't' || c == 'f') {
            out = c == 't';
            return literal(out ? "true" : "false");
        }
        out = false;
        return skip(); // not a flag: as if not said
    }

    // Any one value, nothing kept, nested to the same bound as folders.
    bool skip()
    {
        std::vector<char> open; // '{' or '[' of each container the value is in
        for (;;) {
            space();
            const int c = in.peek();
            bool opened = false;
            if (c == '"') {
                if (!string(nullptr, 0))
                    return false;
            } else if (c == '{' || c == '[') {
                if (open.size() >= deepest)
                    return fail(ScanProblem::tooDeep, in.offset());
                in.get();
                open.push_back(static_cast<char>(c));
                space();
                if (in.peek() == (c == '{' ? '}' : ']'))
                    in.get(), open.pop_back();
                else
                    opened = true;
            } else if (c == '-' || (c >= '0' && c <= '9')) {
                Number n;
                if (!number(n))
                    return false;
            } else if (c == 't' || c == 'f' || c == 'n') {
                if (!literal(c == 't' ? "true" : c == 'f' ? "false" : "null"))
                    return false;
            } else {
                return unexpected();
            }
            if (opened) {
                if (open.back() == '{' && (!string(nullptr, 0) || !expect(':')))
                    return false;
                continue;
            }
            // After a value: the container's next one, or its end.
            for (;;) {
                if (open.empty())
                    return true;
                space();
                const int next = in.get();
                if (next == ',') {
                    if (open.back() == '{' && (!string(nullptr, 0) || !expect(':')))
                        return false;
                    break;
                }
                if (next != (open.back() == '{' ? '}' : ']'))
                    return fail(ScanProblem::notAScan, in.offset() - (next < 0 ? 0 : 1),
                                next < 0 ? std::string() : std::string(1, char(next)));
                open.pop_back();
            }
        }
    }

    bool info(Info &out, std::size_t mostName)
    {
        out = {};
        if (!expect('{'))
            return false;
        space();
        if (in.peek() == '}') {
            in.get();
            return true;
        }
        std::string key;
        for (;;) {
            if (!string(&key, 64)) {
                if (result.problem == ScanProblem::badName)
                    result.problem = ScanProblem::notAScan; // a long key, not a name
                return false;
            }
            if (!expect(':'))
                return false;
            bool ok = true;
            if (key == "name") {
                space();
                out.nameAt = in.offset();
                ok = string(&out.name, mostName);
            } else if (key == "asize") {
                ok = size(out.asize);
            } else if (key == "dsize") {
                ok = size(out.dsize);
            } else if (key == "dev") {
                ok = identity(out.dev);
            } else if (key == "ino") {
                ok = identity(out.ino);
            } else if (key == "mtime") {
                Number n;
                ok = number(n);
                out.mtime = n.negative || n.tooLarge ? 0 : n.value;
            } else if (key == "timestamp") {
                Number n;
                ok = number(n);
                out.timestamp = n.negative || n.tooLarge ? 0 : n.value;
            } else if (key == "hlnkc") {
                ok = flag(out.hlnkc);
            } else if (key == "read_error") {
                ok = flag(out.readError);
            } else if (key == "excluded") {
                space();
                ok = in.peek() == '"' ? string(&out.excluded, 64) : skip();
                if (!ok && result.problem == ScanProblem::badName)
                    result.problem = ScanProblem::notAScan;
            } else {
                ok = skip(); // notreg, nlink, uid, gid, mode and whatever comes later
            }
            if (!ok)
                return false;
            space();
            const int c = in.get();
            if (c == '}')
                return true;
            if (c != ',')
                return fail(ScanProblem::notAScan, in.offset() - (c < 0 ? 0 : 1),
                            c < 0 ? std::string() : std::string(1, char(c)));
        }
    }

    bool checkName(const Info &entry)
    {
        const std::string &name = entry.name;
        const qint64 at = entry.nameAt >= 0 ? entry.nameAt : in.offset();
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos
            || name.find('\0') != std::string::npos)
            return fail(ScanProblem::badName, at, name);
        return true;
    }

    SpaceTree::Scanned scanned(const Info &entry, bool folder, std::uint64_t dev) const
    {
        SpaceTree::Scanned item;
        item.name = entry.name;
        item.size = entry.dsize;
        item.apparent = entry.asize;
        item.mtime = entry.mtime;
        item.folder = folder;
        item.unreadable = entry.readError;
        item.otherMount = entry.excluded == "otherfs" || entry.excluded == "kernfs";
        if (entry.hlnkc && entry.ino && !folder)
            item.link = SpaceTree::FileId{entry.dev.value_or(dev), *entry.ino};
        return item;
    }

    bool add(Open &folder, const Info &entry, bool isFolder)
    {
        if (!checkName(entry))
            return false;
        const std::size_t hash = std::hash<std::string_view>{}(entry.name);
        const auto seen = folder.names.find(hash);
        if (seen != folder.names.end() && result.tree->entry(seen->second).name == entry.name)
            return fail(ScanProblem::duplicate, entry.nameAt, entry.name);
        const SpaceTree::Index index =
            result.tree->addScanned(folder.index, scanned(entry, isFolder, folder.dev));
        if (index == SpaceTree::noEntry)
            return fail(ScanProblem::tooLarge, entry.nameAt);
        folder.names.emplace(hash, index);
        if (++added % 4096 == 0 && stopRequested(stop))
            return fail(ScanProblem::stopped, in.offset());
        if (isFolder) {
            if (stack.size() >= deepest)
                return fail(ScanProblem::tooDeep, entry.nameAt);
            stack.push_back({index, entry.dev.value_or(folder.dev), {}});
        }
        return true;
    }

    bool read()
    {
        space();
        if (in.peek() < 0)
            return fail(ScanProblem::notAScan, 0);
        if (!expect('['))
            return false;
        space();
        const qint64 versionAt = in.offset();
        Number major;
        if (!number(major))
            return false;
        if (major.negative || !major.whole || major.value < 1)
            return fail(ScanProblem::notAScan, versionAt, std::to_string(major.value));
        if (major.tooLarge || major.value > 1)
            return fail(ScanProblem::newerFormat, versionAt,
                        major.tooLarge ? std::string("…") : std::to_string(major.value));
        Number minor;
        if (!expect(',') || !number(minor) || !expect(','))
            return false;
        space();
        if (in.peek() != '{')
            return unexpected();
        Info header;
        if (!info(header, 0) || !expect(',') || !expect('['))
            return false;
        result.timestamp = header.timestamp;
        Info root;
        if (!info(root, longestRoot))
            return false;
        if (root.name.empty() || root.name.find('\0') != std::string::npos)
            return fail(ScanProblem::badName, root.nameAt >= 0 ? root.nameAt : in.offset(),
                        root.name);
        result.tree = SpaceTree::fromScan(scanned(root, true, root.dev.value_or(0)));
        stack.push_back({SpaceTree::rootIndex, root.dev.value_or(0), {}});
        Info entry;
        while (!stack.empty()) {
            space();
            const int c = in.get();
            if (c == ']') {
                stack.pop_back();
                continue;
            }
            if (c != ',')
                return fail(ScanProblem::notAScan, in.offset() - (c < 0 ? 0 : 1),
                            c < 0 ? std::string() : std::string(1, char(c)));
            space();
            const bool folder = in.peek() == '[';
            if (folder)
                in.get();
            if (!info(entry, longestName))
                return false;
            if (!add(stack.back(), entry, folder))
                return false;
        }
        if (!expect(']'))
            return false;
        space();
        if (in.peek() >= 0)
            return unexpected();
        if (in.error != 0)
            return fail(ScanProblem::unreadable, in.offset(), std::strerror(in.error));
        return true;
    }

    Input in;
    const std::atomic<bool> *stop;
    ScanRead result;
    std::vector<Open> stack;
    std::size_t added = 0;
};

// A name as a JSON string that ncdu reads back to the same bytes: only what JSON must escape
// is escaped; bytes that are not UTF-8 stay as they are, as ncdu writes them.
void putString(std::string &out, std::string_view text)
{
    out += '"';
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20) {
            static constexpr char digits[] = "0123456789abcdef";
            out += "\\u00";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += ch;
        }
    }
    out += '"';
}

// The file's bytes into a temporary file beside it, renamed over it once all are written: a
// reader never sees half an export, and a failure leaves what was there.
class Replacement {
public:
    explicit Replacement(const std::filesystem::path &target) : file(target) {}
    ~Replacement()
    {
        if (fd >= 0)
            close(fd);
        if (!temporary.empty())
            unlink(temporary.c_str());
    }
    Replacement(const Replacement &) = delete;
    Replacement &operator=(const Replacement &) = delete;

    bool open()
    {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::filesystem::path name = file;
            name += ".tmp" + std::to_string(random());
            fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                temporary = name;
                return true;
            }
            if (errno != EEXIST)
                return failed();
        }
        return failed();
    }
    bool write(std::string &bytes)
    {
        std::string_view rest = bytes;
        while (!rest.empty()) {
            const ssize_t put = ::write(fd, rest.data(), rest.size());
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return failed();
            rest.remove_prefix(static_cast<std::size_t>(put));
        }
        bytes.clear();
        return true;
    }
    bool commit()
    {
        if (fsync(fd) != 0)
            return failed();
        const int closing = close(fd);
        fd = -1;
        if (closing != 0 || rename(temporary.c_str(), file.c_str()) != 0)
            return failed();
        temporary.clear();
        return true;
    }
    std::string error;

private:
    bool failed()
    {
        if (error.empty())
            error = std::strerror(errno);
        return false;
    }
    std::filesystem::path file;
    std::filesystem::path temporary;
    int fd = -1;
};

void putEntry(std::string &out, const SpaceTree::Entry &entry, qint64 size, qint64 apparent,
              const std::optional<SpaceTree::FileId> &link)
{
    out += "{\"name\":";
    putString(out, entry.name);
    if (apparent > 0)
        out += ",\"asize\":" + std::to_string(apparent);
    if (size > 0)
        out += ",\"dsize\":" + std::to_string(size);
    if (link) {
        out += ",\"dev\":" + std::to_string(link->first);
        out += ",\"ino\":" + std::to_string(link->second) + ",\"hlnkc\":true";
    }
    if (entry.newest > 0)
        out += ",\"mtime\":" + std::to_string(entry.newest);
    if (entry.unreadable)
        out += ",\"read_error\":true";
    if (entry.otherMount)
        out += ",\"excluded\":\"otherfs\"";
    out += '}';
}

} // namespace

ScanRead readNcdu(const std::filesystem::path &file, const std::atomic<bool> *stop)
{
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ScanRead failed;
        failed.problem = ScanProblem::unreadable;
        failed.detail = std::strerror(errno);
        return failed;
    }
    ScanRead read = Reader(fd, stop).run();
    close(fd);
    return read;
}

bool writeNcdu(const SpaceTree &tree, const std::filesystem::path &file, std::string *error)
{
    Replacement out(file);
    const auto failed = [&] {
        if (error)
            *error = out.error;
        return false;
    };
    if (!out.open())
        return failed();
    const std::map<SpaceTree::Index, SpaceTree::FileId> links = tree.countedLinks();
    std::string bytes =
        "[1,2,{\"progname\":\"ampa\",\"timestamp\":" + std::to_string(std::time(nullptr)) + "},\n[";
    // Each folder's own bytes are what it holds less what its entries hold; its entries in the
    // order they were listed, so that a linked file's name that counts stays the first met.
    struct Open {
        std::vector<SpaceTree::Entry> entries;
        std::size_t next = 0;
    };
    const auto opened = [&tree](const SpaceTree::Entry &folder, std::string &into) {
        Open open{tree.children(folder.index)};
        std::ranges::sort(open.entries, {}, &SpaceTree::Entry::index);
        qint64 size = folder.size;
        qint64 apparent = folder.apparent;
        for (const SpaceTree::Entry &entry : open.entries) {
            size -= entry.size;
            apparent -= entry.apparent;
        }
        putEntry(into, folder, std::max<qint64>(size, 0), std::max<qint64>(apparent, 0), {});
        return open;
    };
    std::vector<Open> stack;
    stack.push_back(opened(tree.entry(SpaceTree::rootIndex), bytes));
    while (!stack.empty()) {
        if (stack.back().next == stack.back().entries.size()) {
            stack.pop_back();
            bytes += ']';
            continue;
        }
        const SpaceTree::Entry entry = std::move(stack.back().entries[stack.back().next++]);
        bytes += ",\n";
        if (entry.folder && !entry.otherMount) {
            bytes += '[';
            stack.push_back(opened(entry, bytes));
        } else {
            const auto link = links.find(entry.index);
            putEntry(bytes, entry, entry.size, entry.apparent,
                     link == links.end() ? std::nullopt : std::optional(link->second));
        }
        if (bytes.size() >= (1 << 20) && !out.write(bytes))
            return failed();
    }
    bytes += "]\n";
    if (!out.write(bytes) || !out.commit())
        return failed();
    return true;
}

} // namespace Engine
