#include "KestDriverFixture.h"
#include "app/clsVaro.h"
#include "data/clsOskaDriver.h"

namespace {

class KestPictureLoaderTest : public KestDriverFixture {
protected:
    void SetUp() override {
        KestDriverFixture::SetUp();
        driver->SetBaseFilmSet(1);
        film = driver->MakeFilm(FilmKind::Picture, 0, 0, 5, 5);
        kest().SetFilmProp(film, FilmProp::Parent, driver->FIDBuff());
    }

    // Registers one archive of the files as the engine's only archive.
    void useArchive(const oskatest::Files& files) {
        dir.write(QStringLiteral("data.oska"), oskatest::archive(files));
        App().Archives = &varo.Oska();
        ASSERT_TRUE(varo.Oska().Init(1));
        ASSERT_TRUE(varo.Oska().LoadArchive(dir.file(QStringLiteral("data.oska"))));
        QString list;
        ASSERT_TRUE(varo.Oska().LoadTextFile(0, list));
        ASSERT_TRUE(varo.Oska().LoadArchiveList(list, 0));
    }

    QRgb colourAt(FilmId of, int x, int y) {
        return surface(of, FilmProp::PictureSurface).pixel(x, y);
    }
    int maskAt(FilmId of, int x, int y) {
        return surface(of, FilmProp::MaskSurface).constScanLine(y)[x];
    }

    clsVaro varo;
    FilmId film = clsKestDriver::kNoFilm;
};

}  // namespace

TEST_F(KestPictureLoaderTest, PngAlphaBecomesTheMaskOverOpaqueColours) {
    QImage chara = filled(8, 4, Qt::green);
    chara.setPixel(6, 1, qRgba(255, 0, 0, 128));
    picture(QStringLiteral("Chara.PNG"), chara, "PNG");
    ASSERT_TRUE(driver->LoadPng(film, QStringLiteral("chara"), true, true));
    EXPECT_EQ(sizeProp(film, FilmProp::Size), QSize(8, 4));
    EXPECT_EQ(colourAt(film, 6, 1), qRgb(255, 0, 0));
    EXPECT_EQ(maskAt(film, 0, 1), 255);
    EXPECT_EQ(maskAt(film, 6, 1), 128);
    EXPECT_TRUE(logged(QStringLiteral("kest loadpicture 'chara' from png file")));
    EXPECT_TRUE(logged(QStringLiteral("kest loadmask 'chara' from png file")));
    fillBack(kBlue);
    driver->DrawActivate(0, 0);
    EXPECT_EQ(pixel(1, 1), qRgb(0, 255, 0));
    EXPECT_TRUE(NearColour(pixel(6, 1), qRgb(128, 0, 127), 2));
}

TEST_F(KestPictureLoaderTest, PngWithoutAlphaGetsAFullyOpaqueMask) {
    QImage plain(6, 6, QImage::Format_RGB32);
    plain.fill(Qt::yellow);
    picture(QStringLiteral("bg.png"), plain, "PNG");
    ASSERT_TRUE(driver->LoadPng(film, QStringLiteral("bg"), false, true));
    EXPECT_FALSE(logged(QStringLiteral("kest pat alphachannel")));
    ASSERT_TRUE(driver->LoadPng(film, QStringLiteral("bg"), true, true));
    EXPECT_TRUE(logged(QStringLiteral("kest pat alphachannel 'bg'")));
    EXPECT_FALSE(logged(QStringLiteral("kest loadmask 'bg'")));
    EXPECT_EQ(maskAt(film, 5, 5), 255);
}

TEST_F(KestPictureLoaderTest, BmpPictureTakesItsMaskFromTheMinusMFile) {
    picture(QStringLiteral("pic.bmp"), filled(8, 4, Qt::cyan), "BMP");
    picture(QStringLiteral("PIC-M.bmp"), halves(8, 4), "BMP");
    ASSERT_TRUE(driver->LoadPng(film, QStringLiteral("pic"), true, true));
    EXPECT_TRUE(logged(QStringLiteral("kest loadpicture 'pic' from bmp file")));
    EXPECT_TRUE(logged(QStringLiteral("kest loadmask 'pic-m' from bmp file")));
    EXPECT_EQ(colourAt(film, 0, 0), qRgb(0, 255, 255));
    EXPECT_EQ(maskAt(film, 0, 0), 0);
    EXPECT_EQ(maskAt(film, 7, 3), 255);

    EXPECT_TRUE(driver->LoadByFullPath(film, dir.file(QStringLiteral("image/PIC-M.bmp"))));
    EXPECT_EQ(colourAt(film, 7, 0), qRgb(255, 255, 255));
    EXPECT_FALSE(driver->LoadByFullPath(film, dir.file(QStringLiteral("none.bmp"))));
}

TEST_F(KestPictureLoaderTest, UnknownOrRefusedPicturesFailWithoutDrawing) {
    dir.write(QStringLiteral("outside.png"), oskatest::encoded(filled(3, 3, Qt::red), "PNG"));
    EXPECT_FALSE(driver->LoadPng(film, QStringLiteral("none"), true, true));
    EXPECT_FALSE(driver->LoadPng(film, QStringLiteral("../outside"), true, true));
    EXPECT_FALSE(driver->LoadPng(film, dir.file(QStringLiteral("outside")), true, true));
    EXPECT_TRUE(logged(QStringLiteral("refused")));
    picture(QStringLiteral("here.png"), filled(3, 3, Qt::red), "PNG");
    App().CGFileMode = false;
    EXPECT_FALSE(driver->LoadPng(film, QStringLiteral("here"), true, true));
    EXPECT_FALSE(logged(QStringLiteral("kest loadpicture")));
    EXPECT_EQ(sizeProp(film, FilmProp::Size), QSize(5, 5));
}

TEST_F(KestPictureLoaderTest, ArchivePictureOfTheSurfaceSizeTakesTheFastPath) {
    useArchive({{QStringLiteral("image/arc.png"), oskatest::encoded(filled(16, 8, Qt::red), "PNG")},
                {QStringLiteral("image/arc-m.bmp"), oskatest::encoded(halves(16, 8), "BMP")}});
    ASSERT_TRUE(driver->LoadPng(film, QStringLiteral("arc"), true, true));
    EXPECT_TRUE(logged(QStringLiteral("kest loadpicture fast 'arc' from archive")));
    EXPECT_TRUE(logged(QStringLiteral("kest loadmask slow 'arc-m' from archive")));
    EXPECT_EQ(colourAt(film, 3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(maskAt(film, 1, 1), 0);
    EXPECT_EQ(maskAt(film, 14, 1), 255);

    const FilmId wide = driver->MakeFilm(FilmKind::Picture, 0, 0, 32, 32);
    ASSERT_TRUE(driver->LoadBmp(wide, QStringLiteral("arc"), QStringLiteral("nomask"), false));
    EXPECT_TRUE(logged(QStringLiteral("kest loadpicture slow 'arc' from archive")));
    EXPECT_TRUE(logged(QStringLiteral("kest pat alphachannel 'nomask'")));
    EXPECT_EQ(sizeProp(wide, FilmProp::SurfaceSize), QSize(32, 32));
    EXPECT_EQ(colourAt(wide, 15, 7), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(colourAt(wide, 20, 20)), 0);
    EXPECT_EQ(maskAt(wide, 1, 1), 255);
    EXPECT_FALSE(driver->LoadBmp(wide, QStringLiteral("unknown"), QString(), true));
}

TEST_F(KestPictureLoaderTest, PictureTooLargeForAFilmIsRefused) {
    const QImage wide = filled(KestLibrary::kMaxSurfaceSide + 1, 1, Qt::red);
    picture(QStringLiteral("wide.png"), wide, "PNG");
    picture(QStringLiteral("broad.bmp"), wide, "BMP");
    for (const QString& name : {QStringLiteral("wide"), QStringLiteral("broad")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(driver->LoadPng(film, name, true, true));
        EXPECT_FALSE(driver->ProbePicture(name));
        EXPECT_TRUE(logged(QStringLiteral("kest loadpicture '%1' refused (%2x1 is too large)")
                               .arg(name)
                               .arg(KestLibrary::kMaxSurfaceSide + 1)));
        EXPECT_EQ(sizeProp(film, FilmProp::Size), QSize(5, 5));
    }
    EXPECT_FALSE(logged(QStringLiteral("from png file")));
    EXPECT_FALSE(logged(QStringLiteral("from bmp file")));
    // A bitmap whose header claims a width of 268 million pixels is not decoded.
    QByteArray lying = oskatest::encoded(filled(16, 16, Qt::white), "BMP");
    lying.replace(18, 4, QByteArray("\xff\xff\xff\x0f", 4));
    dir.write(QStringLiteral("image/lying.bmp"), lying);
    EXPECT_FALSE(driver->LoadPng(film, QStringLiteral("lying"), false, true));
    EXPECT_TRUE(logged(QStringLiteral("kest loadpicture 'lying' unreadable bmp file")));
    EXPECT_EQ(sizeProp(film, FilmProp::Size), QSize(5, 5));
    // Drawn into the film's own surface without resizing, it is only clipped.
    EXPECT_TRUE(driver->LoadPng(film, QStringLiteral("wide"), false, false));
    EXPECT_EQ(colourAt(film, 4, 0), qRgb(255, 0, 0));
}

TEST_F(KestPictureLoaderTest, ProbeFindsLoadablePicturesWithoutDrawing) {
    const QByteArray png = oskatest::encoded(filled(4, 4, Qt::red), "PNG");
    // Its header gives a size; the picture data is cut off.
    const QByteArray cut = png.left(png.indexOf("IDAT") + 8);
    useArchive({{QStringLiteral("image/arc.png"), png},
                {QStringLiteral("image/cut.png"), cut},
                {QStringLiteral("image/bad.png"), QByteArray("not a picture")}});
    picture(QStringLiteral("file.png"), filled(4, 4, Qt::blue), "PNG");
    picture(QStringLiteral("old.bmp"), filled(4, 4, Qt::blue), "BMP");
    dir.write(QStringLiteral("image/garbled.png"), QByteArray("\x89PNG garbled"));
    const QImage before = surface(film, FilmProp::PictureSurface);
    EXPECT_TRUE(driver->ProbePicture(QStringLiteral("file")));
    EXPECT_TRUE(driver->ProbePicture(QStringLiteral("old.bmp")));
    EXPECT_TRUE(driver->ProbePicture(QStringLiteral("arc")));
    EXPECT_FALSE(driver->ProbePicture(QStringLiteral("bad")));
    EXPECT_FALSE(driver->ProbePicture(QStringLiteral("cut")));
    EXPECT_FALSE(driver->ProbePicture(QStringLiteral("garbled")));
    EXPECT_TRUE(logged(QStringLiteral("kest loadpicture 'garbled' unreadable png file")));
    EXPECT_FALSE(driver->ProbePicture(QStringLiteral("none")));
    EXPECT_FALSE(driver->ProbePicture(QString()));
    EXPECT_EQ(surface(film, FilmProp::PictureSurface), before);
    EXPECT_FALSE(logged(QStringLiteral("kest loadpicture 'file'")));
}

TEST_F(KestPictureLoaderTest, ExistsTellsAnUnreadablePictureFromAMissingOne) {
    useArchive({{QStringLiteral("image/bad.png"), QByteArray("not a picture")}});
    picture(QStringLiteral("file.png"), filled(4, 4, Qt::blue), "PNG");
    dir.write(QStringLiteral("image/garbled.png"), QByteArray("\x89PNG garbled"));
    KestPictureLoader loader(kest());
    loader.SetImageFolder(dir.file(QStringLiteral("image")));
    for (const char* name : {"file", "FILE.png", "garbled", "bad"}) {
        EXPECT_TRUE(loader.Exists(QLatin1String(name))) << name;
    }
    EXPECT_TRUE(loader.Probe(QStringLiteral("file")));
    EXPECT_FALSE(loader.Probe(QStringLiteral("garbled")));
    EXPECT_FALSE(loader.Probe(QStringLiteral("bad")));
    for (const char* name : {"none", "", "../image/file"}) {
        EXPECT_FALSE(loader.Exists(QLatin1String(name))) << name;
    }
}
