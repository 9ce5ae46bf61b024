// Makes the pictures the library ships (tree-list icons, gizmo handles, marker symbols) as TGA
// files: `quarn-make-pictures FOLDER` writes them, `quarn-make-pictures --check FOLDER` fails
// when a file there differs from what it would write. Shapes are drawn from distance tests with
// 4 x 4 samples per pixel, so edges are smooth and the output is the same on every machine.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kIconSide = 32;    // tree-list icons, RGBA
constexpr int kGizmoSide = 64;   // gizmo handles, grey
constexpr int kMarkerSide = 32;  // marker symbols, grey
constexpr int kSamples = 4;      // samples per pixel along each axis
constexpr double kPi = 3.14159265358979323846;

using Bytes = std::vector<uint8_t>;
/// Inside test in unit coordinates: x right, y up, the picture spanning [-1, 1] on both axes.
using Shape = std::function<bool(double x, double y)>;

struct Rgba {
  uint8_t r, g, b, a;
};

/// A picture being drawn: side x side pixels of RGBA, rows top first.
struct Canvas {
  int side;
  std::vector<Rgba> pixels;
  explicit Canvas(int s) : side(s), pixels(size_t(s) * size_t(s), Rgba{0, 0, 0, 0}) {}

  /// Share of the pixel's samples inside the shape.
  double Coverage(const Shape& shape, int px, int py) const {
    int inside = 0;
    for (int j = 0; j < kSamples; ++j)
      for (int i = 0; i < kSamples; ++i) {
        const double x = -1 + 2 * (px + (i + 0.5) / kSamples) / side;
        const double y = 1 - 2 * (py + (j + 0.5) / kSamples) / side;
        inside += shape(x, y);
      }
    return double(inside) / (kSamples * kSamples);
  }

  /// Lays a shape in a colour over what is there (straight alpha).
  void Paint(const Shape& shape, Rgba c) {
    for (int py = 0; py < side; ++py)
      for (int px = 0; px < side; ++px) {
        const double a = Coverage(shape, px, py) * c.a / 255.0;
        if (a <= 0) continue;
        Rgba& d = pixels[size_t(py) * size_t(side) + size_t(px)];
        const double da = d.a / 255.0, oa = a + da * (1 - a);
        auto mix = [&](uint8_t s, uint8_t t) { return uint8_t(std::lround((s * a + t * da * (1 - a)) / oa)); };
        d = Rgba{mix(c.r, d.r), mix(c.g, d.g), mix(c.b, d.b), uint8_t(std::lround(oa * 255))};
      }
  }
};

// ---- shapes -----------------------------------------------------------------------------------

Shape Box(double x0, double y0, double x1, double y1) {
  return [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}
Shape Ellipse(double cx, double cy, double rx, double ry, double turn = 0) {
  const double c = std::cos(turn), s = std::sin(turn);
  return [=](double x, double y) {
    const double u = (x - cx) * c + (y - cy) * s, v = -(x - cx) * s + (y - cy) * c;
    return (u * u) / (rx * rx) + (v * v) / (ry * ry) <= 1;
  };
}
Shape Ring(double cx, double cy, double r, double width) {
  return [=](double x, double y) { return std::fabs(std::hypot(x - cx, y - cy) - r) <= width / 2; };
}
Shape Segment(double ax, double ay, double bx, double by, double width) {
  return [=](double x, double y) {
    const double dx = bx - ax, dy = by - ay;
    const double t = std::fmax(0, std::fmin(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)));
    return std::hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2;
  };
}
Shape Triangle(double ax, double ay, double bx, double by, double cx, double cy) {
  return [=](double x, double y) {
    auto side = [&](double px, double py, double qx, double qy) { return (qx - px) * (y - py) - (qy - py) * (x - px); };
    const double s1 = side(ax, ay, bx, by), s2 = side(bx, by, cx, cy), s3 = side(cx, cy, ax, ay);
    return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
  };
}
Shape Minus(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) && !b(x, y); };
}
Shape Either(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) || b(x, y); };
}

// ---- files ------------------------------------------------------------------------------------

constexpr uint8_t kTopFirst = 0x20;  // TGA descriptor: rows stored top first

Bytes Tga_Header(int type, int side, int bits, uint8_t descriptor) {
  Bytes b(18, 0);
  b[2] = uint8_t(type);
  b[12] = b[14] = uint8_t(side);
  b[13] = b[15] = uint8_t(side >> 8);
  b[16] = uint8_t(bits);
  b[17] = descriptor;
  return b;
}

/// An uncompressed 32-bit TGA (B, G, R, A per pixel).
Bytes Tga_Rgba(const Canvas& c) {
  Bytes b = Tga_Header(2, c.side, 32, kTopFirst | 8);
  for (const Rgba& p : c.pixels) b.insert(b.end(), {p.b, p.g, p.r, p.a});
  return b;
}

/// An uncompressed 8-bit grey TGA: the sample is the coverage-weighted grey of the canvas.
Bytes Tga_Grey(const Canvas& c) {
  Bytes b = Tga_Header(3, c.side, 8, kTopFirst);
  for (const Rgba& p : c.pixels) b.push_back(uint8_t(std::lround(p.r * p.a / 255.0)));
  return b;
}

struct Picture {
  std::string name;
  Bytes bytes;
};

// ---- the pictures -----------------------------------------------------------------------------

constexpr Rgba kOutline{40, 40, 40, 255};

/// An icon of a slice: a pale frame holding a body section drawn by the caller.
Canvas Slice_Icon(const std::function<void(Canvas&)>& section) {
  Canvas c(kIconSide);
  c.Paint(Box(-0.94, -0.94, 0.94, 0.94), Rgba{30, 34, 44, 255});
  c.Paint(Minus(Box(-0.94, -0.94, 0.94, 0.94), Box(-0.82, -0.82, 0.82, 0.82)), Rgba{150, 160, 180, 255});
  section(c);
  return c;
}

std::vector<Picture> Icons() {
  std::vector<Picture> out;
  Canvas folder(kIconSide);
  folder.Paint(Box(-0.9, 0.45, -0.2, 0.7), Rgba{200, 150, 40, 255});  // tab
  folder.Paint(Box(-0.9, -0.75, 0.9, 0.5), Rgba{240, 190, 60, 255});
  folder.Paint(Box(-0.9, 0.38, 0.9, 0.5), Rgba{255, 220, 120, 255});
  out.push_back({"icon folder.tga", Tga_Rgba(folder)});

  Canvas page(kIconSide);
  const Shape sheet = Minus(Box(-0.65, -0.9, 0.65, 0.9), Triangle(0.25, 0.95, 0.7, 0.95, 0.7, 0.5));
  page.Paint(sheet, Rgba{120, 120, 130, 255});
  page.Paint(Minus(Box(-0.55, -0.8, 0.55, 0.8), Triangle(0.2, 0.85, 0.6, 0.85, 0.6, 0.45)), Rgba{250, 250, 250, 255});
  page.Paint(Triangle(0.25, 0.9, 0.25, 0.5, 0.65, 0.5), Rgba{190, 190, 200, 255});
  for (double y : {0.2, -0.1, -0.4}) page.Paint(Box(-0.4, y - 0.05, 0.4, y + 0.05), Rgba{140, 150, 170, 255});
  out.push_back({"icon page.tga", Tga_Rgba(page)});

  out.push_back({"icon axial.tga", Tga_Rgba(Slice_Icon([](Canvas& c) {
                   c.Paint(Ellipse(0, 0, 0.62, 0.45), Rgba{200, 200, 210, 255});
                   c.Paint(Ellipse(0, -0.22, 0.12, 0.1), Rgba{90, 140, 255, 255});  // spine
                 }))});
  out.push_back({"icon sagittal.tga", Tga_Rgba(Slice_Icon([](Canvas& c) {
                   c.Paint(Ellipse(0, 0.35, 0.3, 0.32), Rgba{200, 200, 210, 255});  // head
                   c.Paint(Box(-0.2, -0.75, 0.25, 0.1), Rgba{200, 200, 210, 255});
                   c.Paint(Box(0.05, -0.75, 0.13, 0.1), Rgba{80, 220, 110, 255});  // spine
                 }))});
  out.push_back({"icon coronal.tga", Tga_Rgba(Slice_Icon([](Canvas& c) {
                   c.Paint(Ellipse(0, 0.45, 0.22, 0.24), Rgba{200, 200, 210, 255});
                   c.Paint(Box(-0.6, -0.75, 0.6, 0.18), Rgba{200, 200, 210, 255});
                   c.Paint(Box(-0.05, -0.75, 0.05, 0.18), Rgba{240, 80, 80, 255});
                 }))});
  out.push_back({"icon oblique.tga", Tga_Rgba(Slice_Icon([](Canvas& c) {
                   c.Paint(Ellipse(0, 0, 0.65, 0.38, kPi / 6), Rgba{200, 200, 210, 255});
                   c.Paint(Segment(-0.6, -0.35, 0.6, 0.35, 0.1), Rgba{255, 160, 40, 255});
                 }))});
  out.push_back({"icon scout.tga", Tga_Rgba(Slice_Icon([](Canvas& c) {
                   c.Paint(Ellipse(0, 0, 0.3, 0.7), Rgba{200, 200, 210, 255});
                   for (double y : {-0.45, -0.15, 0.15, 0.45}) c.Paint(Box(-0.7, y - 0.04, 0.7, y + 0.04), Rgba{255, 230, 60, 255});
                 }))});
  out.push_back({"icon spectro.tga", Tga_Rgba(Slice_Icon([](Canvas& c) {
                   c.Paint(Box(-0.7, -0.68, 0.7, -0.62), Rgba{150, 160, 180, 255});
                   const double xs[] = {-0.7, -0.45, -0.35, -0.25, 0.0, 0.1, 0.2, 0.45, 0.55, 0.7};
                   const double ys[] = {-0.6, -0.55, 0.5, -0.5, -0.45, 0.1, -0.5, -0.55, -0.2, -0.6};
                   for (int i = 0; i + 1 < 10; ++i) c.Paint(Segment(xs[i], ys[i], xs[i + 1], ys[i + 1], 0.09), Rgba{60, 230, 240, 255});
                 }))});
  return out;
}

// Gizmos are white shapes on black: the grey level is the shape's coverage. Their outlines
// follow the handles drawn as lines (arrow tip up, bump across, target ring and cross).
std::vector<Picture> Gizmos() {
  std::vector<Picture> out;
  const Rgba white{255, 255, 255, 255};
  Canvas arrow(kGizmoSide);
  arrow.Paint(Triangle(0.75, -0.95, 0, 0.95, -0.75, -0.95), Rgba{150, 150, 150, 255});
  arrow.Paint(Triangle(0.5, -0.8, 0, 0.6, -0.5, -0.8), white);
  out.push_back({"gizmo arrow.tga", Tga_Grey(arrow)});

  Canvas bump(kGizmoSide);
  const Shape stadium = Either(Box(-0.5, -0.25, 0.5, 0.25), Either(Ellipse(-0.5, 0, 0.25, 0.25), Ellipse(0.5, 0, 0.25, 0.25)));
  bump.Paint(stadium, white);
  bump.Paint(Segment(-0.5, 0, 0.5, 0, 0.12), Rgba{140, 140, 140, 255});
  out.push_back({"gizmo bump.tga", Tga_Grey(bump)});

  Canvas target(kGizmoSide);
  target.Paint(Ring(0, 0, 0.75, 0.16), white);
  target.Paint(Segment(-0.5, 0, 0.5, 0, 0.1), white);
  target.Paint(Segment(0, -0.5, 0, 0.5, 0.1), white);
  out.push_back({"gizmo target.tga", Tga_Grey(target)});
  return out;
}

// Markers: grey symbols whose brightness becomes the marker's colour; dark samples (below 26)
// stay see-through. "marker pin" comes in two layers, the second one white highlights.
std::vector<Picture> Markers() {
  std::vector<Picture> out;
  Canvas cross(kMarkerSide);
  cross.Paint(Ring(0, 0, 0.7, 0.22), Rgba{255, 255, 255, 255});
  cross.Paint(Segment(-0.45, -0.45, 0.45, 0.45, 0.22), Rgba{255, 255, 255, 255});
  cross.Paint(Segment(-0.45, 0.45, 0.45, -0.45, 0.22), Rgba{255, 255, 255, 255});
  out.push_back({"marker cross.tga", Tga_Grey(cross)});

  Canvas body(kMarkerSide);
  body.Paint(Ellipse(0, 0, 0.9, 0.9), Rgba{110, 110, 110, 255});
  body.Paint(Ellipse(0, 0, 0.72, 0.72), Rgba{255, 255, 255, 255});
  out.push_back({"marker pin_1.tga", Tga_Grey(body)});
  Canvas shine(kMarkerSide);
  shine.Paint(Ellipse(-0.3, 0.3, 0.25, 0.18, kPi / 4), Rgba{255, 255, 255, 255});
  out.push_back({"marker pin_2.tga", Tga_Grey(shine)});
  return out;
}

std::vector<Picture> All() {
  std::vector<Picture> all = Icons();
  for (auto* part : {&Gizmos, &Markers}) {
    std::vector<Picture> more = (*part)();
    all.insert(all.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  }
  return all;
}

Bytes File_Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  if (argc != 2 && !check) {
    std::fprintf(stderr, "usage: %s [--check] FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[argc - 1]) + "/";
  int failed = 0;
  for (const Picture& p : All()) {
    const std::string path = folder + p.name;
    if (check) {
      if (File_Bytes(path) != p.bytes) {
        std::fprintf(stderr, "%s differs from the generator's picture\n", path.c_str());
        ++failed;
      }
      continue;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(p.bytes.data()), std::streamsize(p.bytes.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ++failed;
    }
  }
  if (!failed) std::printf("%s %zu pictures in %s\n", check ? "checked" : "wrote", All().size(), folder.c_str());
  return failed ? 1 : 0;
}
