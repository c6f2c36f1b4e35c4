// The LightWave decoder and load_object: tag scanning, point and polygon
// reading, the refused files, and the exact progress output.
#include <gtest/gtest.h>

#include <cstdio>

#include "assets/lwo.h"
#include "assets/lwo_decoder.h"
#include "loader_test_support.h"

namespace {

struct Decoded {
    LwoResult r;
    Decoded(const Bytes& file, double scale, bool with_polygons)
        : r(decode_lwo(file.data(), file.size(), scale, with_polygons)) {}
    ~Decoded() { free_object(r.object); }
};

const std::vector<std::array<float, 3>> kSquare = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
const std::vector<Tri> kTwoTriangles = {{3, 0, 1, 2}, {3, 0, 2, 3}};

TEST(LwoDecoder, ReadsPointsAndTriangles) {
    Decoded d(
        make_lwo({points_chunk({{1, 2, 3}, {-0.5f, 0.25f, 4}}), polygons_chunk({{3, 1, 0, 1}})}),
        50.0, true);
    ASSERT_EQ(d.r.error, LwoError::none);
    const Object& o = d.r.object;
    ASSERT_EQ(o.vertex_count, 2);
    EXPECT_EQ(o.model_vertices[0].x, 50.0);
    EXPECT_EQ(o.model_vertices[0].y, -100.0);
    EXPECT_EQ(o.model_vertices[0].z, -150.0);
    EXPECT_EQ(o.model_vertices[1].x, -25.0);
    EXPECT_EQ(o.model_vertices[1].y, -12.5);
    EXPECT_EQ(o.model_vertices[1].z, -200.0);
    ASSERT_NE(o.view_vertices, nullptr);
    ASSERT_NE(o.vertex_normals, nullptr);
    ASSERT_EQ(o.face_count, 1);
    EXPECT_EQ(o.faces[0].vertex_index[0], 1);
    EXPECT_EQ(o.faces[0].vertex_index[1], 0);
    EXPECT_EQ(o.faces[0].vertex_index[2], 1);
    ASSERT_NE(o.screen_faces, nullptr);
    EXPECT_EQ(o.mapping_mode, MappingMode::from_normals);
    EXPECT_EQ(o.light_offset, -50);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(o.orientation[i][j], i == j ? 1.0 : 0.0);
}

TEST(LwoDecoder, OneMaterialSharedByAllFaces) {
    Decoded d(make_lwo({points_chunk(kSquare), polygons_chunk(kTwoTriangles)}), 1.0, true);
    ASSERT_EQ(d.r.error, LwoError::none);
    const Object& o = d.r.object;
    ASSERT_EQ(o.face_count, 2);
    ASSERT_NE(o.faces[0].material, nullptr);
    EXPECT_EQ(o.faces[0].material, o.faces[1].material);
    EXPECT_EQ(o.faces[0].material->fill_kind, FillKind::depth_tested);
    EXPECT_EQ(o.faces[0].material->light_scale, 400);
}

TEST(LwoDecoder, IndicesAreUnsigned16Bit) {
    std::vector<std::array<float, 3>> many(40001, {0, 0, 0});
    many[40000] = {7, 0, 0};
    Decoded d(make_lwo({points_chunk(many), polygons_chunk({{3, 40000, 32768, 0}})}), 1.0, true);
    ASSERT_EQ(d.r.error, LwoError::none);
    EXPECT_EQ(d.r.object.faces[0].vertex_index[0], 40000);
    EXPECT_EQ(d.r.object.faces[0].vertex_index[1], 32768);
    EXPECT_EQ(d.r.object.model_vertices[40000].x, 7.0);
}

TEST(LwoDecoder, FirstOccurrenceOfATagWinsAtAnyAlignment) {
    // A "PNTS" inside another chunk, at an odd offset, comes before the real one.
    Bytes decoy;
    put_tag(decoy, "XTRA");
    put_u32(decoy, 1 + 8 + 12);
    decoy.push_back(0);
    Bytes inner = points_chunk({{7, 8, 9}});
    decoy.insert(decoy.end(), inner.begin(), inner.end());
    Decoded d(make_lwo({decoy, points_chunk(kSquare)}), 1.0, false);
    ASSERT_EQ(d.r.error, LwoError::none);
    ASSERT_EQ(d.r.object.vertex_count, 1);
    EXPECT_EQ(d.r.object.model_vertices[0].x, 7.0);

    // Only whole points count; the remainder of the chunk is left unread.
    Bytes ragged = points_chunk({{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
    ragged[7] = 12 * 2 + 11;
    Decoded r(make_lwo({ragged}), 1.0, false);
    ASSERT_EQ(r.r.error, LwoError::none);
    EXPECT_EQ(r.r.object.vertex_count, 2);
}

TEST(LwoDecoder, RefusesWhatIsNotAnObjectWithPoints) {
    const std::string text = "just some text, not an object\n";
    for (const Bytes& other : {Bytes{}, Bytes{'P', 'N', 'T', 'S'}, Bytes(text.begin(), text.end()),
                               points_chunk(kSquare)}) {
        Decoded d(other, 1.0, true);
        EXPECT_EQ(d.r.error, LwoError::not_lightwave);
        EXPECT_EQ(d.r.passes, 0);
        EXPECT_EQ(d.r.object.model_vertices, nullptr);
    }
    for (const Bytes& pointless : {lwob({}), make_lwo({polygons_chunk(kTwoTriangles)})}) {
        Decoded d(pointless, 1.0, true);
        EXPECT_EQ(d.r.error, LwoError::no_points);
        EXPECT_EQ(d.r.passes, 1);
        EXPECT_EQ(d.r.object.faces, nullptr);
    }
    // Points without polygons: a point cloud, but no surface.
    for (const Bytes& cloud : {make_lwo({points_chunk(kSquare)}),
                               make_lwo({points_chunk(kSquare), polygons_chunk({})})}) {
        Decoded points_only(cloud, 1.0, false);
        EXPECT_EQ(points_only.r.error, LwoError::none);
        EXPECT_EQ(points_only.r.object.vertex_count, 4);
        EXPECT_EQ(points_only.r.object.faces, nullptr);
        Decoded surface(cloud, 1.0, true);
        EXPECT_EQ(surface.r.error, LwoError::no_polygons);
        EXPECT_EQ(surface.r.object.model_vertices, nullptr);
    }
}

TEST(LwoDecoder, PolygonsNotRequestedAreNotRead) {
    // Even a quad is not looked at.
    Decoded d(make_lwo({points_chunk(kSquare), polygons_chunk({{4, 0, 1, 2}})}), 1.0, false);
    ASSERT_EQ(d.r.error, LwoError::none);
    EXPECT_EQ(d.r.passes, 1);
    EXPECT_EQ(d.r.object.vertex_count, 4);
    EXPECT_EQ(d.r.object.face_count, 0);
    EXPECT_EQ(d.r.object.faces, nullptr);
    EXPECT_EQ(d.r.object.screen_faces, nullptr);
    EXPECT_EQ(d.r.object.mapping_mode, MappingMode::from_normals);
}

TEST(LwoDecoder, RefusesBrokenFiles) {
    auto check = [](const Bytes& file, LwoError expected) {
        Decoded d(file, 1.0, true);
        EXPECT_EQ(d.r.error, expected);
        if (expected != LwoError::none) {
            EXPECT_EQ(d.r.object.vertex_count, 0);
            EXPECT_EQ(d.r.object.faces, nullptr);
        }
        return d.r;
    };
    // A quad after a good triangle.
    LwoResult quad =
        check(make_lwo({points_chunk(kSquare), polygons_chunk({{3, 0, 1, 2}, {4, 0, 1, 2}})}),
              LwoError::not_a_triangle);
    EXPECT_EQ(quad.face, 1);
    EXPECT_EQ(quad.value, 4);

    LwoResult index =
        check(make_lwo({points_chunk(kSquare), polygons_chunk({{3, 0, 1, 2}, {3, 0, 4, 2}})}),
              LwoError::bad_vertex_index);
    EXPECT_EQ(index.face, 1);
    EXPECT_EQ(index.value, 4);
    EXPECT_EQ(index.point_count, 4);

    // An empty point chunk leaves every index out of range.
    check(make_lwo({points_chunk({}), polygons_chunk(kTwoTriangles)}), LwoError::bad_vertex_index);

    // Chunks claiming more bytes than the file has, for points and for polygons.
    Bytes long_points = make_lwo({points_chunk(kSquare)});
    long_points.pop_back();
    check(long_points, LwoError::truncated_chunk);
    Bytes long_polygons = make_lwo({points_chunk(kSquare), polygons_chunk(kTwoTriangles)});
    long_polygons.pop_back();
    LwoResult cut = check(long_polygons, LwoError::truncated_chunk);
    EXPECT_EQ(cut.chunk_length, 20);
    // A tag whose length field is cut off by the end of the file.
    check(lwob({'P', 'N', 'T', 'S', 0, 0}), LwoError::truncated_chunk);
    Decoded no_bytes(lwob({'P', 'N', 'T', 'S', 0, 0, 0, 0}), 1.0, false);
    EXPECT_EQ(no_bytes.r.error, LwoError::none);

    // A length that is not a whole number of records leaves the remainder
    // unread, so the file may end right after the last whole record.
    Bytes ragged =
        lwob({'P', 'N', 'T', 'S', 0, 0, 0, 14, 0x3F, 0x80, 0, 0, 0x40, 0, 0, 0, 0x40, 0x40, 0, 0});
    Decoded one_point(ragged, 2.0, false);
    ASSERT_EQ(one_point.r.error, LwoError::none);
    ASSERT_EQ(one_point.r.object.vertex_count, 1);
    EXPECT_EQ(one_point.r.object.model_vertices[0].z, -6.0);
    ragged.pop_back();
    check(ragged, LwoError::truncated_chunk);
}

// load_object in a child process: progress text, exit code and the counts.
Captured load_in_child(const ScratchDir& dir, const char* name, ObjectParts parts) {
    return run_captured(dir.path, [=] {
        Object o = load_object(name, 2.0, parts);
        std::printf("<%d %d>", o.vertex_count, o.face_count);
    });
}

TEST(LwoLoader, ProgressOutputOfASuccessfulLoad) {
    ScratchDir dir;
    Bytes file = make_lwo({points_chunk(kSquare), polygons_chunk(kTwoTriangles)});
    Bytes filler;
    put_tag(filler, "SRFS");
    put_u32(filler, static_cast<uint32_t>(1234 - file.size() - 8));
    filler.resize(1234 - file.size(), 'a');
    file.insert(file.end(), filler.begin(), filler.end());
    ASSERT_EQ(file.size(), 1234u);
    dir.write("obj.lwo", file);

    Captured both = load_in_child(dir, "obj.lwo", ObjectParts::points_and_polygons);
    EXPECT_EQ(both.exit_code, 0);
    EXPECT_EQ(both.out,
              "Laddar obj.lwo\nfilstorlek 1234\nletar.. hittade!\n letar.. hittade!\n <4 2>");
    Captured points = load_in_child(dir, "obj.lwo", ObjectParts::points);
    EXPECT_EQ(points.exit_code, 0);
    EXPECT_EQ(points.out, "Laddar obj.lwo\nfilstorlek 1234\nletar.. hittade!\n <4 0>");
}

TEST(LwoLoader, FailuresPrintTheirMessageAndExitMinusOne) {
    ScratchDir dir;
    dir.write("quad.lwo",
              make_lwo({points_chunk(kSquare), polygons_chunk({{3, 0, 1, 2}, {4, 0, 1, 2}})}));
    dir.write("index.lwo", make_lwo({points_chunk(kSquare), polygons_chunk({{3, 0, 9, 2}})}));
    dir.write("nopoints.lwo", make_lwo({polygons_chunk(kTwoTriangles)}));
    Bytes cut = make_lwo({points_chunk(kSquare)});
    cut.resize(cut.size() - 3);
    dir.write("cut.lwo", cut);
    dir.write("header.lwo", lwob({'x', 'P', 'N', 'T', 'S', 0}));
    dir.write("text.lwo", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    dir.write("empty.lwo", Bytes{});
    dir.write("pointless.lwo", lwob({}));
    dir.write("cloud.lwo", make_lwo({points_chunk(kSquare)}));

    const std::string found = "letar.. hittade!\n ";
    const struct {
        const char* name;
        std::string out;
    } cases[] = {
        {"missing.lwo", "Laddar missing.lwo\ngick ej \x94ppna missing.lwo  !!\n"},
        {".", "Laddar .\ngick ej \x94ppna .  !!\n"},
        {"quad.lwo", "Laddar quad.lwo\nfilstorlek 96\n" + found + found +
                         "Endast trianglar st\x94"
                         "ds ditt pucko!"},
        {"index.lwo", "Laddar index.lwo\nfilstorlek 86\n" + found + found +
                          "index.lwo: polygon 0 uses point 9, but there are only 4 points\n"},
        {"nopoints.lwo",
         "Laddar nopoints.lwo\nfilstorlek 40\nletar.. gick ej \x94ppna nopoints.lwo  !!\n"},
        {"pointless.lwo",
         "Laddar pointless.lwo\nfilstorlek 12\nletar.. gick ej \x94ppna pointless.lwo  !!\n"},
        {"cloud.lwo",
         "Laddar cloud.lwo\nfilstorlek 68\n" + found + "letar.. gick ej \x94ppna cloud.lwo  !!\n"},
        {"text.lwo", "Laddar text.lwo\nfilstorlek 6\ngick ej \x94ppna text.lwo  !!\n"},
        {"empty.lwo", "Laddar empty.lwo\nfilstorlek 0\ngick ej \x94ppna empty.lwo  !!\n"},
        {"cut.lwo",
         "Laddar cut.lwo\nfilstorlek 65\n" + found +
             "cut.lwo: a chunk of 48 bytes at offset 20 runs past the end of the file\n"},
        {"header.lwo", "Laddar header.lwo\nfilstorlek 18\n" + found +
                           "header.lwo: the file ends inside a chunk header\n"},
    };
    for (const auto& k : cases) {
        const Captured c = load_in_child(dir, k.name, ObjectParts::points_and_polygons);
        EXPECT_EQ(c.exit_code, 255) << k.name;
        EXPECT_EQ(c.out, k.out);
    }
}

} // namespace
