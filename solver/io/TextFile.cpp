// The text-file layer over buffered C streams: one character of look-ahead and one of
// pushback for the lexer, line and number reading, fields written with fixed printf
// formats, and an I/O result (with its standard-error message) after every operation.
// Numbers are read and written in the C locale whatever the process locale says.
#include "TextFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <locale.h>
#include <string>
#include <unistd.h>

namespace varnel {

namespace {

// Per thread, so that solver objects running on different threads do not see each
// other's results or switch each other's messages off.
thread_local int t_lastResult = 0;
thread_local bool t_quiet = false;
std::atomic<unsigned> g_productCounter{0};

/// A name for a product's temporary file beside `name`: hidden, and unique to this
/// process and attempt, so that two runs writing the same product never share it. The
/// product's own name is shortened in it when the whole would be longer than a folder
/// entry may be, so that a product with a long name can still be written.
std::string temporaryNameFor(const std::string& name, unsigned attempt)
{
    constexpr std::size_t kLongestEntry = 255;
    const std::size_t slash = name.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::string suffix = "." + std::to_string(getpid()) + "-" +
                               std::to_string(g_productCounter.fetch_add(1)) + "-" +
                               std::to_string(attempt) + ".part";
    std::string entry = name.substr(start);
    if (1 + entry.size() + suffix.size() > kLongestEntry)
        entry.resize(kLongestEntry - 1 - suffix.size());
    return name.substr(0, start) + "." + entry + suffix;
}

/// Switches the calling thread to the C locale for one formatted conversion, so that
/// "." stays the decimal point even when the host has set a national locale.
class ClassicNumbers {
public:
    ClassicNumbers()
    {
        static const locale_t classic = newlocale(LC_ALL_MASK, "C", locale_t{});
        if (classic != locale_t{})
            m_previous = uselocale(classic);
    }
    ~ClassicNumbers()
    {
        if (m_previous != locale_t{})
            uselocale(m_previous);
    }
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;

private:
    locale_t m_previous{};
};

/// The error number of a failed stream call; EIO when the library left none.
int streamError()
{
    return errno != 0 ? errno : EIO;
}

/// Reads an optional "-" and decimal digits at `p`, as "%d" would; advances past them.
bool parseField(const char*& p, int& value)
{
    const char* end = p + std::strspn(p, "-0123456789");
    auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc())
        return false;
    p = next;
    return true;
}

} // namespace

TextFile::~TextFile()
{
    discard();
}

int TextFile::lastResult()
{
    return t_lastResult;
}

void TextFile::setQuiet(bool quiet)
{
    t_quiet = quiet;
}

void TextFile::setResult(int result)
{
    m_result = result;
    t_lastResult = result;
    if (result == 0 || t_quiet || suppressMessages)
        return;
    const char* shown = m_name.empty() ? "input" : m_name.c_str();
    if (result == kFormatError)
        std::fprintf(stderr, "IO: input format error in file '%s'\n", shown);
    else if (result == kEndOfFile)
        std::fprintf(stderr, "IO: access beyond end of file '%s'\n", shown);
    else
        std::fprintf(stderr, "IO: file '%s' %s\n", shown, std::strerror(result));
}

bool TextFile::openRead(const std::string& name, bool binary)
{
    if (isProduct())
        close();
    m_lookAheadValid = false;
    m_atEndOfLine = false;
    m_pushback = -1;
    count = 0;
    if (m_stream != nullptr && m_reading && name == m_name && binary == m_binary) {
        errno = 0;
        if (std::fseek(m_stream, 0, SEEK_SET) == 0) {
            std::clearerr(m_stream);
            setResult(0);
            return true;
        }
        setResult(streamError());
        return false;
    }
    // A stream open under another name, or for writing only, is replaced: rewinding
    // it would read the wrong file or fail on every read.
    const std::string copy = name; // `name` may be m_name itself
    const char* mode = binary ? "rb" : "r";
    errno = 0;
    m_stream = m_stream != nullptr ? std::freopen(copy.c_str(), mode, m_stream)
                                   : std::fopen(copy.c_str(), mode);
    m_name = copy;
    m_binary = binary;
    m_writing = false;
    m_reading = m_stream != nullptr;
    setResult(m_stream != nullptr ? 0 : streamError());
    return m_stream != nullptr;
}

bool TextFile::openWrite(const std::string& name, bool binary)
{
    if (isProduct())
        close();
    m_lookAheadValid = false;
    m_atEndOfLine = false;
    m_pushback = -1;
    count = 0;
    const std::string copy = name;
    errno = 0;
    if (m_stream != nullptr)
        m_stream = std::freopen(copy.c_str(), binary ? "wb+" : "w+", m_stream);
    else
        m_stream = std::fopen(copy.c_str(), binary ? "wb" : "w");
    m_name = copy;
    m_binary = binary;
    m_reading = false;
    m_writing = m_stream != nullptr;
    setResult(m_stream != nullptr ? 0 : streamError());
    return m_stream != nullptr;
}

bool TextFile::openProduct(const std::string& name, bool binary)
{
    close();
    const std::string copy = name;
    int descriptor = -1;
    std::string temporary;
    for (unsigned attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporary = temporaryNameFor(copy, attempt);
        errno = 0;
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno != EEXIST)
            break;
    }
    m_name = copy;
    m_binary = binary;
    m_reading = false;
    if (descriptor < 0) {
        setResult(streamError());
        return false;
    }
    m_stream = ::fdopen(descriptor, binary ? "wb" : "w");
    if (m_stream == nullptr) {
        const int error = streamError();
        ::close(descriptor);
        ::unlink(temporary.c_str());
        setResult(error);
        return false;
    }
    m_temporaryName = temporary;
    m_writing = true;
    setResult(0);
    return true;
}

void TextFile::resetState()
{
    m_reading = m_writing = false;
    m_lookAheadValid = false;
    m_atEndOfLine = false;
    m_pushback = -1;
}

void TextFile::close()
{
    resetState();
    if (m_stream == nullptr) {
        m_name.clear();
        m_temporaryName.clear();
        return;
    }
    errno = 0;
    int error = 0;
    if (isProduct() && (std::fflush(m_stream) != 0 || std::ferror(m_stream)))
        error = streamError();
    errno = 0;
    if (std::fclose(m_stream) != 0 && error == 0)
        error = streamError();
    m_stream = nullptr;
    if (isProduct()) {
        errno = 0;
        if (error == 0 && std::rename(m_temporaryName.c_str(), m_name.c_str()) != 0)
            error = streamError();
        if (error != 0)
            ::unlink(m_temporaryName.c_str());
        m_temporaryName.clear();
    }
    // The name stays for the message of a failing close.
    setResult(error);
    m_name.clear();
}

void TextFile::discard()
{
    if (!isProduct()) {
        close();
        return;
    }
    resetState();
    if (m_stream != nullptr)
        std::fclose(m_stream);
    m_stream = nullptr;
    ::unlink(m_temporaryName.c_str());
    m_temporaryName.clear();
    m_name.clear();
}

int TextFile::peekRaw()
{
    if (m_pushback >= 0)
        return m_pushback;
    if (m_lookAheadValid)
        return m_lookAhead;
    const int c = std::getc(m_stream);
    if (c == EOF)
        return EOF;
    m_lookAhead = c;
    m_lookAheadValid = true;
    return c;
}

namespace {
/// Result for a read that met the end of the stream: -1, or the error that stopped it.
int endResult(std::FILE* stream)
{
    return std::ferror(stream) ? streamError() : TextFile::kEndOfFile;
}
} // namespace

bool TextFile::eof()
{
    if (!m_reading) {
        setResult(EBADF);
        return true;
    }
    errno = 0;
    if (peekRaw() != EOF)
        return false;
    if (std::ferror(m_stream))
        setResult(streamError());
    return true;
}

int TextFile::readChar()
{
    if (!m_reading) {
        setResult(EBADF);
        return EOF;
    }
    errno = 0;
    const int c = peekRaw();
    if (c == EOF) {
        setResult(endResult(m_stream));
        return EOF;
    }
    if (m_pushback >= 0)
        m_pushback = -1;
    else
        m_lookAheadValid = false;
    ++count;
    m_atEndOfLine = c == '\n';
    setResult(0);
    return c;
}

void TextFile::giveBack(int c)
{
    // Nothing was counted for the end of the file, so there is nothing to give back.
    if (c == EOF)
        return;
    // A second character given back before the first is read again moves the first
    // into the free look-ahead slot, so that neither is lost.
    if (m_pushback >= 0 && !m_lookAheadValid) {
        m_lookAhead = m_pushback;
        m_lookAheadValid = true;
    }
    m_pushback = static_cast<unsigned char>(c);
    --count;
}

std::size_t TextFile::readLine(char* buffer, std::size_t capacity, bool pad)
{
    std::size_t length = 0;
    if (!m_reading) {
        setResult(EBADF);
    } else {
        errno = 0;
        int c = EOF;
        while (length < capacity) {
            c = peekRaw();
            if (c == EOF || c == '\n')
                break;
            readChar();
            buffer[length++] = static_cast<char>(c);
        }
        setResult(length == 0 && c == EOF && capacity > 0 ? endResult(m_stream) : 0);
    }
    if (pad) {
        std::memset(buffer + length, ' ', capacity - length);
        return capacity;
    }
    if (length < capacity)
        buffer[length] = '\0';
    return length;
}

void TextFile::skipLine()
{
    if (!m_reading) {
        setResult(EBADF);
        return;
    }
    errno = 0;
    for (;;) {
        const int c = peekRaw();
        if (c == EOF) {
            setResult(endResult(m_stream));
            return;
        }
        readChar();
        if (c == '\n')
            return;
    }
}

void TextFile::readRest(std::string& text)
{
    if (!m_reading) {
        setResult(EBADF);
        return;
    }
    const std::size_t before = text.size();
    if (m_pushback >= 0)
        text.push_back(static_cast<char>(m_pushback));
    if (m_lookAheadValid)
        text.push_back(static_cast<char>(m_lookAhead));
    m_pushback = -1;
    m_lookAheadValid = false;
    errno = 0;
    char block[65536];
    std::size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, m_stream)) > 0)
        text.append(block, n);
    count += static_cast<long>(text.size() - before);
    m_atEndOfLine = text.size() > before && text.back() == '\n';
    setResult(std::ferror(m_stream) ? streamError() : 0);
}

namespace {
/// What a scan of one number left: the stream's characters it consumed and its outcome.
struct Scan {
    int consumed = 0;
    int result = 0;
};

/// Runs fscanf with " %n<conversion>%n" so that the blanks it skips are counted even
/// when no number follows.
template <typename T> Scan scanNumber(std::FILE* stream, const char* format, T& value)
{
    ClassicNumbers classic;
    int skipped = -1;
    int total = -1;
    errno = 0;
    const int converted = std::fscanf(stream, format, &skipped, &value, &total);
    Scan scan;
    if (converted == 1) {
        scan.consumed = total;
        return scan;
    }
    scan.consumed = skipped > 0 ? skipped : 0;
    if (std::ferror(stream))
        scan.result = streamError();
    else if (converted == EOF)
        scan.result = TextFile::kEndOfFile;
    else
        scan.result = TextFile::kFormatError;
    return scan;
}
} // namespace

int TextFile::readInteger()
{
    if (!m_reading) {
        setResult(EBADF);
        return 0;
    }
    // Hand the characters held here back to the stream, the next one to read last.
    if (m_lookAheadValid)
        std::ungetc(m_lookAhead, m_stream);
    if (m_pushback >= 0)
        std::ungetc(m_pushback, m_stream);
    m_lookAheadValid = false;
    m_pushback = -1;
    m_atEndOfLine = false;
    // Scanned as a long so that a number beyond int is a format error, not undefined.
    long value = 0;
    Scan scan = scanNumber(m_stream, " %n%ld%n", value);
    count += scan.consumed;
    if (scan.result == 0 && (value < INT_MIN || value > INT_MAX))
        scan.result = kFormatError;
    setResult(scan.result);
    return scan.result == 0 ? static_cast<int>(value) : 0;
}

double TextFile::readReal()
{
    if (!m_reading) {
        setResult(EBADF);
        return 0.0;
    }
    if (m_lookAheadValid)
        std::ungetc(m_lookAhead, m_stream);
    if (m_pushback >= 0)
        std::ungetc(m_pushback, m_stream);
    m_lookAheadValid = false;
    m_pushback = -1;
    m_atEndOfLine = false;
    double value = 0.0;
    const Scan scan = scanNumber(m_stream, " %n%lf%n", value);
    count += scan.consumed;
    setResult(scan.result);
    return scan.result == 0 ? value : 0.0;
}

void TextFile::formattedRead(const char* format, ...)
{
    if (!m_reading) {
        setResult(EBADF);
        return;
    }
    std::va_list args;
    va_start(args, format);
    setResult(0);
    for (const char* p = format; *p != '\0' && m_result == 0; ++p) {
        if (*p == '\n') {
            skipLine();
            continue;
        }
        if (*p != '%' || p[1] == '%') {
            if (*p == '%')
                ++p;
            errno = 0;
            const int c = peekRaw();
            if (c == static_cast<unsigned char>(*p))
                readChar();
            else
                setResult(c == EOF ? endResult(m_stream) : kFormatError);
            continue;
        }
        ++p;
        int length = -1;
        if (*p >= '0' && *p <= '9')
            parseField(p, length);
        if (*p == 'l')
            ++p;
        switch (*p) {
        case 'd':
            *va_arg(args, int*) = readInteger();
            break;
        case 'f':
            *va_arg(args, double*) = readReal();
            break;
        case 'c': {
            const int c = readChar();
            *va_arg(args, char*) = static_cast<char>(c == EOF ? ' ' : c);
            break;
        }
        case 's':
            if (length < 0) {
                setResult(kFormatError);
                break;
            }
            // Exactly `length` characters, blank-padded and not terminated.
            readLine(va_arg(args, char*), static_cast<std::size_t>(length), true);
            break;
        default:
            // An unknown directive cannot say what it would read into.
            setResult(kFormatError);
            break;
        }
        if (*p == '\0')
            break;
    }
    va_end(args);
}

void TextFile::printf(const char* format, ...)
{
    ClassicNumbers classic;
    std::va_list args;
    va_start(args, format);
    errno = 0;
    std::vfprintf(m_stream, format, args);
    va_end(args);
}

void TextFile::afterWrite()
{
    if (!std::ferror(m_stream)) {
        setResult(0);
        return;
    }
    // The error flag is sticky: a later write that only filled the buffer repeats the
    // error number of the write that failed.
    if (errno == 0 && m_result > 0)
        setResult(m_result);
    else
        setResult(streamError());
}

void TextFile::writeString(std::string_view text, int width)
{
    if (!m_writing) {
        setResult(EBADF);
        return;
    }
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    if (width == kNone)
        printf("%.*s", length, text.data());
    else
        printf("%*.*s", width, length, text.data());
    afterWrite();
}

void TextFile::writeChar(char c, int width)
{
    if (!m_writing) {
        setResult(EBADF);
        return;
    }
    if (width == kNone)
        printf("%c", c);
    else
        printf("%*c", width, c);
    afterWrite();
}

void TextFile::writeInteger(long n, int width)
{
    if (!m_writing) {
        setResult(EBADF);
        return;
    }
    if (width == kNone)
        printf("%7ld", n);
    else if (width >= 0)
        printf("%*ld", width, n);
    else
        printf("%*lo", -width, static_cast<unsigned long>(n));
    afterWrite();
}

void TextFile::writeReal(double x, int width, int digits)
{
    if (!m_writing) {
        setResult(EBADF);
        return;
    }
    if (width == kNone && digits == kNone)
        printf("% G", x);
    else if (digits == kNone)
        printf("%*E", width, x);
    else if (digits >= 0)
        printf("%*.*f", width == kNone ? 0 : width, digits, x);
    else
        printf("%*.*E", width == kNone ? 0 : width, -digits, x);
    afterWrite();
}

void TextFile::writeBoolean(bool b, int width)
{
    if (!m_writing) {
        setResult(EBADF);
        return;
    }
    if (width == kNone)
        printf("%s", b ? " TRUE" : "FALSE");
    else
        printf("%*s", width, b ? "TRUE" : "FALSE");
    afterWrite();
}

void TextFile::writeLineEnd()
{
    if (!m_writing) {
        setResult(EBADF);
        return;
    }
    printf("\n");
    afterWrite();
}

void TextFile::formattedWrite(const char* format, ...)
{
    if (!m_writing) {
        setResult(EBADF);
        return;
    }
    std::va_list args;
    va_start(args, format);
    setResult(0);
    const char* p = format;
    while (*p != '\0' && m_result == 0) {
        // Characters outside directives go out as a run.
        const std::size_t plain = std::strcspn(p, "%");
        if (plain > 0) {
            writeString(std::string_view(p, plain));
            p += plain;
            continue;
        }
        const char* directive = p++;
        if (*p == '%') {
            writeChar('%');
            ++p;
            continue;
        }
        int width = kNone;
        int digits = kNone;
        if (*p == '*') {
            width = va_arg(args, int);
            ++p;
        } else {
            parseField(p, width);
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                digits = va_arg(args, int);
                ++p;
            } else if (!parseField(p, digits)) {
                digits = 0;
            }
        }
        const bool isLong = *p == 'l';
        if (isLong)
            ++p;
        switch (*p) {
        case 'b':
            writeBoolean(va_arg(args, int) != 0, width);
            break;
        case 'c':
            writeChar(static_cast<char>(va_arg(args, int)), width);
            break;
        case 'd':
        case 'i':
            writeInteger(isLong ? va_arg(args, long) : va_arg(args, int), width);
            break;
        case 'f':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
            writeReal(va_arg(args, double), width, digits);
            break;
        case 's': {
            const char* text = va_arg(args, const char*);
            std::string_view view = text != nullptr ? text : "";
            if (digits != kNone && digits >= 0 && static_cast<std::size_t>(digits) < view.size())
                view = view.substr(0, static_cast<std::size_t>(digits));
            writeString(view, width);
            break;
        }
        default:
            // Not a directive of this layer: written as it stands, no value taken.
            writeString(std::string_view(directive, static_cast<std::size_t>(p - directive) +
                                                        (*p != '\0' ? 1 : 0)));
            break;
        }
        if (*p != '\0')
            ++p;
    }
    va_end(args);
}

void TextFile::flush()
{
    if (m_stream == nullptr) {
        setResult(EBADF);
        return;
    }
    errno = 0;
    setResult(std::fflush(m_stream) == 0 ? 0 : streamError());
}

} // namespace varnel
