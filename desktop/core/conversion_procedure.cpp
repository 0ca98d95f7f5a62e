#include "desktop/core/conversion_procedure.h"

namespace desktop {

namespace {

// Texts of the boxes. A path is inserted where the dialog's format has its
// "%s"; paths of any length fit, since the text grows with them.
std::string sourceMissingText(const std::string& source) {
  return "The source path \"" + source + "\" does not exist.";
}

std::string overwriteQuestion(const std::string& dest) {
  return "Destination file \"" + dest +
         "\" already exists.\nAll contents will be erased.  Are you\nsure you wish to overwrite?";
}

constexpr const char* kFileErrorCaption = "File error!";
constexpr const char* kFileExistsCaption = "File exists!";
constexpr const char* kFailureText = "Could not perform conversion.";
constexpr const char* kFailureCaption = "Conversion error!";
constexpr const char* kSuccessText = "Conversion completed successfully.";
constexpr const char* kSuccessWithChangesText =
    "Conversion completed successfully.\nSome changes have been made to HTML source.\nSee comments for details.";
constexpr const char* kSuccessCaption = "Conversion Success";

constexpr unsigned kErrorStyle = mb::kOk | mb::kIconHand;                                // 0x10
constexpr unsigned kQuestionStyle = mb::kYesNo | mb::kIconExclamation | mb::kDefButton2;  // 0x134
constexpr unsigned kSuccessStyle = mb::kOk;                                              // 0

}  // namespace

ConversionOutcome performConversion(engine::ConversionContext& context, const std::string& source,
                                    const std::string& dest, unsigned odsCheckBoxState, ConversionPorts& ports) {
  if (!ports.files.findPath(source)) {
    ports.boxes.show(sourceMissingText(source), kFileErrorCaption, kErrorStyle);
    return ConversionOutcome::SourceMissing;
  }
  if (ports.files.findPath(dest) &&
      ports.boxes.show(overwriteQuestion(dest), kFileExistsCaption, kQuestionStyle) != mb::kIdYes) {
    return ConversionOutcome::OverwriteDeclined;
  }
  context.useOdsFiles = odsCheckBoxState & 3u;
  if (!ports.convert(context, source.c_str(), dest.c_str())) {
    ports.boxes.show(kFailureText, kFailureCaption, kErrorStyle);
    return ConversionOutcome::ConversionFailed;
  }
  if (!context.appendix.has_value()) {
    ports.boxes.show(kSuccessText, kSuccessCaption, kSuccessStyle);
    return ConversionOutcome::Converted;
  }
  ports.boxes.show(kSuccessWithChangesText, kSuccessCaption, kSuccessStyle);
  return ConversionOutcome::ConvertedWithChanges;
}

}  // namespace desktop
