/// @file
/// A language dictionary: the sentence endings, stemming rules and grader
/// terms a summary is made with.
#ifndef VELLUMTRACE_DICTIONARY_H_
#define VELLUMTRACE_DICTIONARY_H_

#include <memory>
#include <string>
#include <string_view>

#include "vellumtrace/export.h"
#include "vellumtrace/status.h"

namespace vellumtrace {

/// An immutable, loaded dictionary. Copies are cheap and share the data;
/// one Dictionary may be used by any number of threads at once.
class VELLUMTRACE_API Dictionary {
 public:
  /// Loads the dictionary file at `path` (UTF-8). Fails with
  /// kDictionaryUnavailable when it is missing, unreadable or malformed.
  static Result<Dictionary> Load(std::string_view path);

  /// Loads the installed dictionary for a language code such as "en" from
  /// DataFolder(). Fails with kInvalidArgument for a code that looks like a
  /// path, and with kDictionaryUnavailable when there is no such language.
  static Result<Dictionary> ForLanguage(std::string_view code);

  /// The folder whose "dic" sub-folder holds the installed dictionaries:
  /// $VELLUMTRACE_DATA_DIR when set, else share/vellumtrace above the
  /// installed library (a moved prefix too) or above the program that linked
  /// it statically, else the build tree's copy, else the build's install
  /// prefix or the Debian package's /usr; "" when none holds "dic".
  static std::string DataFolder();

  /// The file this dictionary was loaded from (UTF-8).
  const std::string& path() const;

  struct Impl;
  /// For the library's own use.
  const Impl& impl() const { return *impl_; }

 private:
  explicit Dictionary(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
  std::shared_ptr<const Impl> impl_;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_H_
