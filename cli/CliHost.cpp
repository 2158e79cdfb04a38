// Callback, beeps and request answers of the headless host.
#include "CliHost.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace varnel::cli {

namespace {

HostState* g_state = nullptr;
struct VarnelWindowTag {
} g_window;

void writeOutput(char* text)
{
    if (text == nullptr)
        return;
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void onBeep(unsigned)
{
    if (g_state == nullptr)
        return;
    ++g_state->beeps;
    if (g_state->bell) {
        std::fputc('\a', stderr);
        std::fflush(stderr);
    }
}

int indexOfName(const char* const* names, int count, const std::string& wanted)
{
    if (names == nullptr)
        return -1;
    for (int i = 0; i < count; ++i)
        if (names[i] != nullptr && wanted == names[i])
            return i;
    return -1;
}

void copyText(char* target, std::size_t capacity, std::string_view text)
{
    const std::size_t n = std::min(capacity - 1, text.size());
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

LRESULT answerFile(LPARAM record)
{
    if (!g_state->answers.fftFile)
        return 0;
    auto* request = reinterpret_cast<FileRequest*>(record);
    copyText(request->path, sizeof request->path, *g_state->answers.fftFile);
    return 1;
}

LRESULT answerGraph(LPARAM record)
{
    const RequestAnswers& a = g_state->answers;
    if (!a.graphVariable)
        return 0;
    auto* request = reinterpret_cast<GraphRequest*>(record);
    const int index = indexOfName(request->names, request->nameCount, *a.graphVariable);
    if (index < 0) {
        std::fprintf(stderr, "varnel-cli: graph variable '%s' is not a variable of the file\n",
                     a.graphVariable->c_str());
        return 0;
    }
    // The values go to the library as given: it checks them and says what is wrong.
    request->independentIndex = index;
    request->independentFrom = a.graphFrom;
    request->independentTo = a.graphTo;
    request->stepCount = a.graphSteps;
    request->forFft = a.graphForFft ? 1 : 0;
    request->parametric = 0;
    if (a.graphParameter && !a.graphForFft) {
        const int parameter = indexOfName(request->names, request->nameCount, *a.graphParameter);
        if (parameter < 0) {
            std::fprintf(stderr, "varnel-cli: graph parameter '%s' is not a variable of the file\n",
                         a.graphParameter->c_str());
            return 0;
        }
        request->parametric = 1;
        request->parameterIndex = parameter;
        copyText(request->parameterName, sizeof request->parameterName, *a.graphParameter);
        request->parameterFrom = a.parameterFrom;
        request->parameterTo = a.parameterTo;
        request->parameterSteps = a.parameterSteps;
    }
    return 1;
}

LRESULT answerFourier(LPARAM record)
{
    const RequestAnswers& a = g_state->answers;
    if (!a.fftTime || !a.fftReal || !a.fftImag)
        return 0;
    auto* request = reinterpret_cast<FourierRequest*>(record);
    const int t = indexOfName(request->names, request->nameCount, *a.fftTime);
    const int re = indexOfName(request->names, request->nameCount, *a.fftReal);
    const int im = indexOfName(request->names, request->nameCount, *a.fftImag);
    if (t < 0 || re < 0 || im < 0) {
        std::fprintf(stderr, "varnel-cli: a Fourier column is not in the result table\n");
        return 0;
    }
    request->independentIndex = t;
    request->realIndex = re;
    request->imagIndex = im;
    request->axisUnit = a.fftUnit;
    copyText(request->realText, sizeof request->realText, *a.fftReal);
    copyText(request->imagText, sizeof request->imagText, *a.fftImag);
    request->samplesFrom = a.fftFrom;
    request->samplesTo = a.fftTo.value_or(request->sampleCount);
    return 1;
}

LRESULT onRequest(HWND, unsigned, WPARAM code, LPARAM record)
{
    if (g_state == nullptr || record == 0)
        return 0;
    switch (code) {
    case RequestFourier:
        return answerFourier(record);
    case RequestGraph:
        return answerGraph(record);
    case RequestFile:
        return answerFile(record);
    default:
        return 0;
    }
}

} // namespace

void installHost(HostState& state)
{
    g_state = &state;
    setBeepHandler(onBeep);
    setRequestHandler(onRequest);
}

HWND hostWindow()
{
    return reinterpret_cast<HWND>(&g_window);
}

OutputCallback outputCallback()
{
    return writeOutput;
}

} // namespace varnel::cli
