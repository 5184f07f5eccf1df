#include "Messages.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace py = pybind11;

namespace kolpy {

namespace {

PyObject* errorType = nullptr;
PyObject* warningType = nullptr;

std::string readFrom(int fd, long offset)
{
  std::string out;
  std::vector<char> buf(4096);
  for (ssize_t n; (n = pread(fd, buf.data(), buf.size(), offset)) > 0; offset += n)
    out.append(buf.data(), static_cast<size_t>(n));
  return out;
}

}  // namespace

MessageCapture::MessageCapture()
{
  std::fflush(stderr);
  std::FILE* f = std::tmpfile();
  if (!f) return;
  file_ = dup(fileno(f));
  std::fclose(f);
  saved_ = dup(STDERR_FILENO);
  if (file_ < 0 || saved_ < 0 || dup2(file_, STDERR_FILENO) < 0) {
    if (file_ >= 0) close(file_);
    if (saved_ >= 0) close(saved_);
    file_ = saved_ = -1;
  }
}

MessageCapture::~MessageCapture()
{
  if (saved_ < 0) return;
  std::fflush(stderr);
  dup2(saved_, STDERR_FILENO);
  close(saved_);
  close(file_);
}

std::string MessageCapture::text()
{
  std::fflush(stderr);
  return file_ < 0 ? std::string() : readFrom(file_, read_);
}

std::string MessageCapture::lastLine(const std::string& fallback)
{
  std::string all = text();
  while (!all.empty() && (all.back() == '\n' || all.back() == ' ')) all.pop_back();
  if (all.empty()) return fallback;
  size_t nl = all.rfind('\n');
  return nl == std::string::npos ? all : all.substr(nl + 1);
}

void MessageCapture::warnAndClear()
{
  std::string all = text();
  read_ += static_cast<long>(all.size());
  size_t start = 0;
  while (start < all.size()) {
    size_t nl = all.find('\n', start);
    std::string line = all.substr(start, nl == std::string::npos ? nl : nl - start);
    start = nl == std::string::npos ? all.size() : nl + 1;
    if (!line.empty() && PyErr_WarnEx(warningType, line.c_str(), 2) < 0)
      throw py::error_already_set();
  }
}

void raise(MessageCapture& messages, const std::string& fallback)
{
  std::string text = messages.lastLine(fallback);
  PyErr_SetString(errorType, text.c_str());
  throw py::error_already_set();
}

void bindMessages(py::module_& m)
{
  static py::exception<std::runtime_error> error(m, "KolError", PyExc_RuntimeError);
  static py::exception<std::runtime_error> warning(m, "KolWarning", PyExc_UserWarning);
  errorType = error.ptr();
  warningType = warning.ptr();
  error.doc() = "A library call failed; the text is the library's one-line message.";
  warning.doc() = "A one-line message the library wrote while a call still succeeded.";
}

}  // namespace kolpy
