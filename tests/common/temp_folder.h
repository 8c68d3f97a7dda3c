/* A fresh folder under /tmp that a test works in: the constructor creates it
 * and makes it the current folder, the destructor goes back and removes it
 * with everything in it.
 */
#pragma once

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder &) = delete;
  TempFolder &operator=(const TempFolder &) = delete;

  const std::string &path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string &name) const;

 private:
  std::string path_;
  std::string previous_;
};
