#pragma once

#include <string>

namespace marlo::app {

// A font file of the program's Font folder made available to this process only, for as long
// as the object lives.
class PrivateFont {
  public:
    PrivateFont();
    ~PrivateFont();
    PrivateFont(const PrivateFont&) = delete;
    PrivateFont& operator=(const PrivateFont&) = delete;

    // `relative` is under the resource directory ("Font/NotoSansThai-Regular.ttf"). False
    // when the file cannot be read or is not a font.
    bool Load(const std::string& relative);
    const std::string& family() const { return family_; }

  private:
    std::string directory_;
    std::string family_;
};

}  // namespace marlo::app
