// Builds the two .debs from this build tree and checks them as dpkg, lintian,
// systemd and a desktop see them: contents, control fields (the command-line
// package needs nothing that draws), hardening, the scheduled scan's units,
// the desktop entry's links to the installed files, and the capability the
// postinst gives the bind helper and never a finder; then, installed into a
// fresh root, the finder is run by a throw-away user in a network lab
// (test_finder_as_user).
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <unistd.h>

namespace {

// Exit code (-1 for a crash or hang) and the merged output of one tool run.
std::pair<int, QString> run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(240'000))
        process.kill();
    process.waitForFinished();
    const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {code, QString::fromLocal8Bit(process.readAll())};
}

QString captured(const QString &text, const QString &pattern)
{
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).captured(1);
}

bool installed(const QString &tool)
{
    return !QStandardPaths::findExecutable(tool).isEmpty();
}

const QList<int> iconSizes{16, 32, 48, 64, 128, 256};

} // namespace

class TestDebianPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir work_;
    QString deb_;      // the desktop package, veltrin-finder
    QString cliDeb_;   // veltrin-finder-cli

private slots:
    void initTestCase()
    {
        if (!installed("dpkg-deb") || !installed("dpkg-shlibdeps"))
            QSKIP("dpkg-dev is not installed");
        const auto [code, out] = run(VELTRIN_CPACK, {"-G", "DEB", "--config", VELTRIN_CPACK_CONFIG,
                                                     "-B", work_.path()});
        QVERIFY2(code == 0, qPrintable(out));
        deb_ = work_.filePath("veltrin-finder_" VELTRIN_VERSION "_amd64.deb");
        cliDeb_ = work_.filePath("veltrin-finder-cli_" VELTRIN_VERSION "_amd64.deb");
        for (const QString &deb : {deb_, cliDeb_})
            QVERIFY2(run("dpkg-deb", {"-x", deb, work_.filePath("tree")}).first == 0, qPrintable(deb));
    }

    void holdsExactlyTheInstallLayout_data()
    {
        QTest::addColumn<bool>("desktop");
        QTest::addColumn<QStringList>("expected");
        QStringList desktop{"usr/bin/veltrin-finder",
                            "usr/share/applications/io.veltrin.Finder.desktop",
                            "usr/share/metainfo/io.veltrin.Finder.metainfo.xml",
                            "usr/share/man/man1/veltrin-finder.1.gz",
                            "usr/share/doc/veltrin-finder/copyright",
                            "usr/share/doc/veltrin-finder/changelog.gz",
                            "usr/share/lintian/overrides/veltrin-finder",
                            "usr/share/icons/hicolor/scalable/apps/io.veltrin.Finder.svg"};
        for (const int size : iconSizes)
            desktop << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/io.veltrin.Finder.png").arg(size);
        QTest::newRow("veltrin-finder") << true << desktop;
        QTest::newRow("veltrin-finder-cli") << false
                << QStringList{"usr/bin/veltrin-finder-cli",
                               "usr/libexec/veltrin-finder/veltrin-finder-bind",
                               "usr/libexec/veltrin-finder/veltrin-finder-scan",
                               "usr/lib/firewalld/services/veltrin-finder.xml",
                               "etc/ufw/applications.d/veltrin-finder",
                               "etc/default/veltrin-finder-scan",
                               "usr/lib/systemd/system/veltrin-finder-scan.service",
                               "usr/lib/systemd/system/veltrin-finder-scan.timer",
                               "usr/lib/sysusers.d/veltrin-finder-cli.conf",
                               "usr/share/man/man1/veltrin-finder-cli.1.gz",
                               "usr/share/doc/veltrin-finder-cli/copyright",
                               "usr/share/doc/veltrin-finder-cli/changelog.gz",
                               "usr/share/doc/veltrin-finder-cli/veltrin-finder.rules.yml",
                               "usr/share/lintian/overrides/veltrin-finder-cli"};
    }

    void holdsExactlyTheInstallLayout()
    {
        QFETCH(bool, desktop);
        QFETCH(QStringList, expected);
        QStringList actual;
        const QRegularExpression file("^-\\S+ .* \\./(\\S+)$", QRegularExpression::MultilineOption);
        for (const auto &match : file.globalMatch(run("dpkg-deb", {"-c", desktop ? deb_ : cliDeb_}).second))
            actual << match.captured(1);
        expected.sort();
        actual.sort();
        QCOMPARE(actual, expected);
    }

    void controlField_data()
    {
        QTest::addColumn<bool>("desktop");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("section") << true << "Section" << "^net$";
        QTest::newRow("cli section") << false << "Section" << "^net$";
        QTest::newRow("setcap for postinst") << false << "Depends" << "(^|, )libcap2-bin(,|$)";
        QTest::newRow("setfacl for postinst") << false << "Depends" << "(^|, )acl(,|$)";
        QTest::newRow("the cli, same version") << true << "Depends"
                                               << "^veltrin-finder-cli \\(= " VELTRIN_VERSION "\\)(,|$)";
        // From dpkg-shlibdeps, with the versions of Debian's shlibs files.
        QTest::newRow("qt widgets") << true << "Depends" << "(^|, )libqt6widgets6 \\(>= [0-9.]+\\)";
        QTest::newRow("qt network") << true << "Depends" << "(^|, )libqt6network6 \\(>= [0-9.]+\\)";
        QTest::newRow("cli qt network") << false << "Depends" << "(^|, )libqt6network6 \\(>= [0-9.]+\\)";
        // A site box has no display: nothing that draws.
        QTest::newRow("cli draws nothing") << false << "Depends"
                << "^(?!.*(libqt6gui|libqt6widgets|libqt6opengl|libgl|libegl|libx11|libxcb|wayland|font)).*$";
        QTest::newRow("cjk serif") << true << "Recommends" << "^fonts-arphic-uming \\| fonts-noto-cjk(,|$)";
        QTest::newRow("qt translations") << true << "Recommends" << "(^|, )qt6-translations-l10n(,|$)";
        QTest::newRow("qt wayland") << true << "Recommends" << "(^|, )qt6-wayland(,|$)";
    }

    void controlField()
    {
        QFETCH(bool, desktop);
        QFETCH(QString, field);
        QFETCH(QString, pattern);
        const QString value = run("dpkg-deb", {"-f", desktop ? deb_ : cliDeb_, field}).second.trimmed();
        QVERIFY2(QRegularExpression(pattern).match(value).hasMatch(), qPrintable(value));
    }

    // The scheduled scan's units as systemd reads them, beside the system's
    // own targets; its service runs the packaged script.
    void scanUnitsVerify()
    {
        if (!installed("systemd-analyze") || !QFile::exists("/lib/systemd/system/sysinit.target"))
            QSKIP("systemd is not installed");
        const QDir units(work_.filePath("tree/usr/lib/systemd/system"));
        for (const QString &target : QDir("/lib/systemd/system").entryList({"*.target"}))
            QFile::copy("/lib/systemd/system/" + target, units.filePath(target));
        const auto [code, out] = run("systemd-analyze", {"verify", "--man=no", "--root=" + work_.filePath("tree"),
                                                         units.filePath("veltrin-finder-scan.service"),
                                                         units.filePath("veltrin-finder-scan.timer")});
        QVERIFY2(code == 0 && out.trimmed().isEmpty(), qPrintable(out));
    }

    void desktopEntryResolvesToInstalledFiles()
    {
        const QDir tree(work_.filePath("tree"));
        QFile entryFile(tree.filePath("usr/share/applications/io.veltrin.Finder.desktop"));
        QVERIFY(entryFile.open(QIODevice::ReadOnly));
        const QString entry = QString::fromUtf8(entryFile.readAll());

        // The menu runs Exec through PATH, so it must name the packaged binary.
        const QFileInfo binary(tree.filePath("usr/bin/" + captured(entry, "^Exec=(\\S+)")));
        QVERIFY2(binary.isFile() && binary.isExecutable(), qPrintable(binary.filePath()));
        const QString icon = captured(entry, "^Icon=(.+)$");
        QVERIFY(tree.exists("usr/share/icons/hicolor/scalable/apps/" + icon + ".svg"));
        for (const int size : iconSizes) {
            const QString png = QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon);
            QCOMPARE(QImage(tree.filePath(png)).size(), QSize(size, size));
        }
    }

    // The rules that let the answers in: what firewalld and ufw read from
    // the files, and the ufw profile kept as the admin's own on upgrades.
    void firewallRulesOpenUdp1010()
    {
        const QDir tree(work_.filePath("tree"));
        QFile service(tree.filePath("usr/lib/firewalld/services/veltrin-finder.xml"));
        QVERIFY(service.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&service);
        QStringList ports;
        QString shortName;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"port")
                ports << xml.attributes().value("port").toString() + "/" + xml.attributes().value("protocol").toString();
            else if (xml.name() == u"short")
                shortName = xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(ports, QStringList{"1010/udp"});
        QVERIFY(!shortName.isEmpty());

        QFile profile(tree.filePath("etc/ufw/applications.d/veltrin-finder"));
        QVERIFY(profile.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(profile.readAll());
        // ufw takes the section name as the application name.
        QCOMPARE(captured(text, "^\\[([^\\]]+)\\]$"), QStringLiteral("Veltrin-Finder"));
        QCOMPARE(captured(text, "^ports=(.*)$"), QStringLiteral("1010/udp"));
        QVERIFY(!captured(text, "^title=(.+)$").isEmpty());
        QVERIFY(!captured(text, "^description=(.+)$").isEmpty());

        const QString conffiles = run("dpkg-deb", {"-I", cliDeb_, "conffiles"}).second;
        QCOMPARE(conffiles.trimmed(),
                 QStringLiteral("/etc/ufw/applications.d/veltrin-finder\n/etc/default/veltrin-finder-scan"));
    }

    void lintianFindsNoErrors()
    {
        if (!installed("lintian"))
            QSKIP("lintian is not installed");
        const auto [code, out] = run("lintian", {"-I", "--pedantic", deb_, cliDeb_});
        QVERIFY2(code == 0 && captured(out, "^(E: .*)$").isEmpty(), qPrintable(out));
        if (VELTRIN_FORTIFIED)
            QVERIFY2(captured(out, "^(.*hardening-.*)$").isEmpty(), qPrintable(out));
    }

    // Both binaries built as Debian builds its own: stack protector, fortified
    // calls, PIE, read-only relocations bound at start. Control-flow
    // protection is asked for but not required: it shows only when the C
    // library's start files carry it too, which Debian 12's do not.
    void binariesAreHardened()
    {
        if (!installed("hardening-check"))
            QSKIP("hardening-check (devscripts) is not installed");
        if (!VELTRIN_FORTIFIED)
            QSKIP("a sanitizer or unoptimised build, which is not fortified");
        // Branch protection is an AArch64 feature that newer hardening-check
        // versions ask for on every architecture; older ones lack the option.
        QStringList options{"--nocfprotection"};
        if (run("hardening-check", {"--help"}).second.contains("nobranchprotection"))
            options << "--nobranchprotection";
        const QDir tree(work_.filePath("tree"));
        for (const char *binary : {"usr/bin/veltrin-finder", "usr/bin/veltrin-finder-cli",
                                   "usr/libexec/veltrin-finder/veltrin-finder-bind"}) {
            const auto [code, out] = run("hardening-check", options + QStringList{tree.filePath(binary)});
            QVERIFY2(code == 0, qPrintable(out));
        }
    }

    void installsIntoFreshRoot_data()
    {
        QTest::addColumn<QString>("filesystem");
        QTest::addColumn<QString>("helperCapability");
        QTest::newRow("with xattrs") << QString() << "cap_net_bind_service=ep";
        // ramfs stores no extended attributes: postinst warns, the install succeeds.
        QTest::newRow("ramfs") << "ramfs" << QString();
    }

    void installsIntoFreshRoot()
    {
        QFETCH(QString, filesystem);
        QFETCH(QString, helperCapability);
        if (geteuid() != 0 || !installed("unshare") || !installed("getcap"))
            QSKIP("needs root, unshare and getcap");

        const QTemporaryDir root;
        // A throw-away user runs the installed finder, so it must reach it.
        QVERIFY(QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                           | QFile::ReadOther | QFile::ExeOther));
        QStringList args{"-m", VELTRIN_INSTALL_INTO_ROOT, root.path(), cliDeb_ + ' ' + deb_, filesystem};
        if (!helperCapability.isEmpty())
            args << "sh" << "-c" << asUserInLab;
        const auto [code, out] = run("unshare", args);
        QVERIFY2(code == 0, qPrintable(out));
        QCOMPARE(captured(out, "^status: (.*)$"), QStringLiteral("install ok installed"));
        QCOMPARE(captured(out, "^cli status: (.*)$"), QStringLiteral("install ok installed"));
        QCOMPARE(captured(out, "^helper capability: \\S+ (.*)$"), helperCapability);
        // The window program never carries one, whatever the filesystem.
        QVERIFY2(captured(out, "^capability: (.*)$").isEmpty(), qPrintable(out));
        QCOMPARE(out.contains("could not give"), helperCapability.isEmpty());
        QVERIFY2(!out.contains("left: "), qPrintable(out));
        if (helperCapability.isEmpty())
            return;
        // 77: no namespaces here; a skipped start: nothing a user test could show.
        const QString check = captured(out, "^check: (\\d+)$");
        const QString skipped = captured(out, "^SKIP   : TestFinderAsUser::initTestCase\\(\\) (.*)$");
        if (check == "77" || !skipped.isEmpty())
            QSKIP(qPrintable("the installed finder was not run as a user in a lab: " + skipped));
        QVERIFY2(check == "0" && out.contains("PASS   : TestFinderAsUser::helperBindsForAFinderWithoutPrivilege()"),
                 qPrintable(out));
    }

private:
    // In the lab, the user test of the installed finder (its path is "$0").
    const QString asUserInLab = QStringLiteral(
            "VELTRIN_FINDER_UNDER_TEST=\"$0\" exec bash '" VELTRIN_NETLAB "' run --tidy --sim '" VELTRIN_SIM
            "' --segments 1 --devices 3 -- '" VELTRIN_FINDER_AS_USER "'");
};

QTEST_GUILESS_MAIN(TestDebianPackage)
#include "test_debian_package.moc"
