/// @file
/// A language dictionary: the sentence endings, stemming rules and grader
/// terms a summary is made with.
#ifndef VELLUMTRACE_DICTIONARY_H_
#define VELLUMTRACE_DICTIONARY_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vellumtrace/export.h"
#include "vellumtrace/status.h"

namespace vellumtrace {

/// An immutable, compiled dictionary. Copies are cheap and share the data;
/// one Dictionary may be used by any number of threads at once.
///
/// Loads go through a process-wide cache keyed by the file's identity
/// (device, inode, size and modification time): loading an unchanged file
/// again costs a stat, and a file changed or replaced on disk is read
/// afresh. The cache holds one compiled version per path (the latest
/// clean load) until the process ends; a Dictionary keeps its own version
/// alive for as long as any copy of it exists.
class VELLUMTRACE_API Dictionary {
 public:
  /// Loads the dictionary file at `path` (UTF-8). Fails with
  /// kDictionaryUnavailable when the file is missing or cannot be read,
  /// with kDictionaryInvalid when it is not well-formed or over a limit.
  static Result<Dictionary> Load(std::string_view path);

  /// Loads the installed dictionary for a language code such as "en" from
  /// DataFolder(). Fails with kInvalidArgument for a code that looks like a
  /// path, and with kDictionaryUnavailable when there is no such language.
  static Result<Dictionary> ForLanguage(std::string_view code);

  /// The stand-in for a file that could not be used: no sentence endings,
  /// rules or grader terms, so a summary made with it is the whole text as
  /// one sentence (Summary::dictionary_missing is set). `path` names the
  /// file it stands in for.
  static Dictionary Missing(std::string_view path);

  /// The folder whose "dic" sub-folder holds the installed dictionaries:
  /// $VELLUMTRACE_DATA_DIR when set, else share/vellumtrace above the
  /// installed library (a moved prefix too) or above the program that linked
  /// it statically, else the build tree's copy, else the build's install
  /// prefix or the Debian package's /usr; "" when none holds "dic".
  static std::string DataFolder();

  /// The codes of the installed languages (the names of DataFolder()/dic/
  /// *.xml without the extension), sorted.
  static std::vector<std::string> Languages();

  /// The file this dictionary was loaded from (UTF-8), as given.
  const std::string& path() const;
  /// True for Dictionary::Missing().
  bool missing() const;

 private:
  struct Impl;
  friend struct DictionaryAccess;
  explicit Dictionary(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}
  std::shared_ptr<const Impl> impl_;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_H_
