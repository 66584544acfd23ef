// tavelin-cli-plot: the plot subcommand of tavelin-cli, which runs it with its own arguments. The
// plot is drawn by the routines of the plot window, so this program carries the toolkit.

#include <QBuffer>
#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <string_view>

#include "cli_commands.hpp"
#include "plot/plot_data.hpp"
#include "plotwindow/plot_images.hpp"

namespace tavelin::cli {
namespace {

int Plot(const Arguments& arguments, int argc, char** argv) {
  static const std::map<std::string, std::int16_t> kVariables = {
      {"vmag", 0}, {"imag", 1}, {"zmag", 2}, {"vphase", 3}, {"iphase", 4}, {"zphase", 5}, {"swr", 6}};
  const auto variable = kVariables.find(arguments.Need("variable"));
  if (variable == kVariables.end()) throw ArgumentError{"--variable must be one of vmag imag zmag vphase iphase zphase swr"};
  PlotRequest request{variable->second, false, arguments.Get("normalizer", "50"), "5", "0.1"};
  if (arguments.Has("log")) {
    request.logarithmic = true;
    request.decadesText = arguments.options.at("log")[0];
    request.minValueText = arguments.options.at("log")[1];
  }
  const std::string sizeText = arguments.Get("size", "1050x1012");
  int width = 0;
  int height = 0;
  const char* const last = sizeText.data() + sizeText.size();
  const auto w = std::from_chars(sizeText.data(), last, width);
  const auto h = w.ptr != last && *w.ptr == 'x' ? std::from_chars(w.ptr + 1, last, height) : w;
  if (w.ec != std::errc() || h.ec != std::errc() || h.ptr != last || height == 0 || width < 16 || width > 8192 ||
      height < 16 || height > 8192) {
    throw ArgumentError{"--size must be WIDTHxHEIGHT in pixels, each from 16 to 8192"};
  }
  const std::string output = CheckedOutput(arguments);
  const std::string extension = std::filesystem::path(output).extension().string();
  static const std::map<std::string, ImageFormat> kFormats = {
      {".svg", ImageFormat::kSvg}, {".pdf", ImageFormat::kPdf}, {".png", ImageFormat::kPng}};
  const auto format = kFormats.find(QString::fromStdString(extension).toLower().toStdString());
  if (format == kFormats.end()) throw ArgumentError{"--output must end in .svg, .pdf or .png"};

  // Text needs the font machinery; no display is needed. The toolkit's chatter about the desktop
  // session means nothing here; its critical messages still show.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
  });
  QGuiApplication application(argc, argv);

  Session session;
  if (!LoadScanOutput(session, arguments)) return kFailed;
  PlotData data;
  if (!ComputePlot(session.services, session.state, request, data)) return kFailed;
  const std::size_t before = session.messages.shown.size();
  const Reporting reporting = session.services.MakeReporting();
  QBuffer image;
  image.open(QIODevice::WriteOnly);
  if (!WritePlotImage(image, format->second, QSize(width, height), data, reporting)) {
    Fail("cannot write " + output);
    return kFailed;
  }
  if (!SaveFile(output, std::string_view(image.data().constData(), static_cast<std::size_t>(image.data().size())))) {
    return kFailed;
  }
  // The window shows a plot that its drawing reported on; so is the image written, but not as done.
  return session.messages.shown.size() == before ? kDone : kFailed;
}

}  // namespace
}  // namespace tavelin::cli

int main(int argc, char** argv) {
  return tavelin::cli::RunCommandLine(argc, argv, [argc, argv](const tavelin::cli::Arguments& arguments) {
    return tavelin::cli::Plot(arguments, argc, argv);
  });
}
