// The Debian package: built with cpack from this build, its control fields and files, and
// installed, upgraded, removed and purged in a temporary root (dpkg --root, maintainer scripts
// run without a chroot and honouring DPKG_ROOT), where the teacher's results must survive all.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kDatabaseFolder = QString::fromUtf8(KVZ_DB_DIR);
const QByteArray kResults = QByteArrayLiteral("результаты учителя, не поставляемая база");

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(300000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool everyoneMay(const QString& path, QFile::Permissions permissions) {
    return (QFile::permissions(path) & permissions) == permissions;
}

// A machine of its own in a folder: dpkg's database there, and the package's files and the
// maintainer script's work under it.
class Root {
public:
    Root() {
        for (const char* folder :
             {"var/lib/dpkg/info", "var/lib/dpkg/updates", "var/lib/dpkg/triggers"})
            QDir(m_dir.path()).mkpath(QString::fromLatin1(folder));
        writeFile(path("var/lib/dpkg/status"), {});
        writeFile(path("var/lib/dpkg/available"), {});
    }

    QString path(const QString& inside) const { return m_dir.filePath(inside); }
    QString database() const { return path(kDatabaseFolder.mid(1) + QStringLiteral("/kvz_1.mdb")); }

    // Runs dpkg on this root: "-i FILE", "-r kvz", "-P kvz"; its output when it failed.
    QString dpkg(const QStringList& action) const {
        const Run result =
            run(QStringLiteral("dpkg"),
                QStringList{QStringLiteral("--root=") + m_dir.path(),
                            QStringLiteral("--log=") + path("dpkg.log"),
                            QStringLiteral("--force-script-chrootless"),
                            QStringLiteral("--force-not-root"), QStringLiteral("--force-depends")} +
                    action);
        return result.exitCode == 0 ? QString() : result.output;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

class tst_Package : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fileName();
    void controlFields_data();
    void controlFields();
    void files_data();
    void files();
    void nothingOutsideUsr();
    void desktopEntry_data();
    void desktopEntry();
    void installPlacesTheDatabaseOnlyWhereNoneIs_data();
    void installPlacesTheDatabaseOnlyWhereNoneIs();
    void upgradeReinstallRemovalAndPurgeKeepTheResults();
    void lintianFindsNoError();

private:
    QString field(const QString& name) const;
    QString installed(const QString& file) const { return m_contents.filePath(file); }
    // The same package with another version, for an upgrade from it.
    QString withVersion(const QString& version);

    QTemporaryDir m_out;
    QTemporaryDir m_contents;
    QString m_deb;
    QMap<QString, QString> m_listing; // path in the package: mode and owner
};

void tst_Package::initTestCase() {
    for (const char* tool : {"dpkg-deb", "dpkg", "dpkg-shlibdeps"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("dpkg-deb, dpkg or dpkg-shlibdeps (dpkg-dev) is not installed: the Debian "
                  "package is not built");
    }
    const Run built = run(QStringLiteral(KVZ_CPACK),
                          {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                           QStringLiteral(KVZ_BINARY_DIR "/CPackConfig.cmake"),
                           QStringLiteral("-B"), m_out.path()});
    QVERIFY2(built.exitCode == 0, qPrintable(built.output));
    const QStringList debs = QDir(m_out.path()).entryList({QStringLiteral("*.deb")});
    QCOMPARE(debs.size(), 1);
    m_deb = m_out.filePath(debs[0]);

    QCOMPARE(
        run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_contents.path()}).exitCode,
        0);
    static const QRegularExpression line(QStringLiteral("^(\\S+) (\\S+) .* \\./(.*)$"));
    for (const QString& entry : run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_deb})
                                    .output.split(u'\n', Qt::SkipEmptyParts)) {
        const auto match = line.match(entry);
        QVERIFY2(match.hasMatch(), qPrintable(entry));
        m_listing[match.captured(3)] = match.captured(1) + u' ' + match.captured(2);
    }
}

QString tst_Package::field(const QString& name) const {
    return run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, name}).output.trimmed();
}

void tst_Package::fileName() {
    const QString arch =
        run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).output.trimmed();
    QCOMPARE(QFileInfo(m_deb).fileName(),
             QStringLiteral("kvz_%1_%2.deb").arg(KVZ_PACKAGE_VERSION, arch));
    QCOMPARE(field(QStringLiteral("Architecture")), arch);
    const Run changelog =
        run(QStringLiteral("zcat"), {installed("usr/share/doc/kvz/changelog.gz")});
    QCOMPARE(changelog.output.section(u'\n', 0, 0),
             QStringLiteral("kvz (%1) stable; urgency=medium").arg(KVZ_PACKAGE_VERSION));
}

void tst_Package::controlFields_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("package") << "Package"
                             << "^kvz$";
    // The program's own version, then the time of its source: each newer build is an upgrade.
    QTest::newRow("version")
        << "Version"
        << QStringLiteral("^%1\\+\\d{8}\\.\\d{6}$").arg(QRegularExpression::escape(KVZ_VERSION));
    QTest::newRow("section") << "Section"
                             << "^education$";
    QTest::newRow("priority") << "Priority"
                              << "^optional$";
    QTest::newRow("maintainer") << "Maintainer"
                                << "^[^<]+ <[^@> ]+@[^> ]+>$";
    QTest::newRow("summary in Russian") << "Description"
                                        << "^тест КВЗ: проверка знаний учащихся\n .";
    // Found by shlibdeps in the program itself.
    QTest::newRow("C library") << "Depends"
                               << "(^|, )libc6 \\(>= [^)]+\\)";
    QTest::newRow("Qt widgets") << "Depends"
                                << "(^|, )libqt6widgets6 \\(>= [^)]+\\)";
    QTest::newRow("Qt printing") << "Depends"
                                 << "(^|, )libqt6printsupport6 \\(>= [^)]+\\)";
    // Loaded at run time, named by hand.
    QTest::newRow("database driver") << "Depends"
                                     << "(^|, )libqt6sql6-sqlite(,|$)";
    QTest::newRow("the class server's driver") << "Depends"
                                               << "(^|, )libqt6sql6-psql(,|$)";
    QTest::newRow("the server, suggested") << "Suggests"
                                           << "^postgresql$";
    QTest::newRow("window system plugin") << "Depends"
                                          << "(^|, )qt6-qpa-plugins(,|$)";
    QTest::newRow("fonts") << "Depends"
                           << "(^|, )fonts-liberation(,|$)";
    QTest::newRow("the grid's font") << "Depends"
                                     << "(^|, )fonts-dejavu-core(,|$)";
    QTest::newRow("Qt's Russian texts") << "Depends"
                                        << "(^|, )qt6-translations-l10n(,|$)";
    QTest::newRow("print system") << "Depends"
                                  << "(^|, )libcups2(,|$)";
}

void tst_Package::controlFields() {
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    const QString value = field(name);
    QVERIFY2(QRegularExpression(pattern).match(value).hasMatch(),
             qPrintable(name + QStringLiteral(": ") + value));
}

void tst_Package::files_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("mode");
    QTest::newRow("server set-up") << "usr/bin/kvz-server"
                                   << "-rwxr-xr-x root/root";
    QTest::newRow("its manual page") << "usr/share/man/ru/man1/kvz-server.1.gz"
                                     << "-rw-r--r-- root/root";
    QTest::newRow("program") << "usr/bin/kvz"
                             << "-rwxr-xr-x root/root";
    QTest::newRow("delivered database") << "usr/share/kvz/kvz_1.mdb"
                                        << "-rw-r--r-- root/root";
    QTest::newRow("help") << "usr/share/kvz/HELP_TEST.HLP"
                          << "-rw-r--r-- root/root";
    QTest::newRow("desktop entry") << "usr/share/applications/kvz.desktop"
                                   << "-rw-r--r-- root/root";
    QTest::newRow("icon") << "usr/share/icons/hicolor/32x32/apps/kvz.png"
                          << "-rw-r--r-- root/root";
    QTest::newRow("manual page") << "usr/share/man/ru/man1/kvz.1.gz"
                                 << "-rw-r--r-- root/root";
    QTest::newRow("manual page in English") << "usr/share/man/man1/kvz.1.gz"
                                            << "-rw-r--r-- root/root";
    QTest::newRow("server's in English") << "usr/share/man/man1/kvz-server.1.gz"
                                         << "-rw-r--r-- root/root";
    QTest::newRow("copyright") << "usr/share/doc/kvz/copyright"
                               << "-rw-r--r-- root/root";
    QTest::newRow("changelog") << "usr/share/doc/kvz/changelog.gz"
                               << "-rw-r--r-- root/root";
}

void tst_Package::files() {
    QFETCH(QString, path);
    QFETCH(QString, mode);
    QCOMPARE(m_listing.value(path), mode);
    if (path.endsWith(u"kvz_1.mdb")) // the database the build made
        QCOMPARE(readAll(installed(path)), readAll(QStringLiteral(KVZ_BINARY_DIR "/kvz_1.mdb")));
}

// dpkg must not own the fixed place: it would replace the results on an upgrade and remove
// them with the package.
void tst_Package::nothingOutsideUsr() {
    for (const QString& entry : m_listing.keys())
        QVERIFY2(entry.isEmpty() || entry.startsWith(u"usr/"), qPrintable(entry));
}

void tst_Package::desktopEntry_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("type") << "Type"
                          << "Application";
    QTest::newRow("name") << "Name"
                          << "Тест КВЗ";
    QTest::newRow("comment") << "Comment"
                             << "Проверка знаний учащихся: тест из десяти вопросов, результаты "
                                "для учителя";
    QTest::newRow("program") << "Exec"
                             << "kvz";
    QTest::newRow("icon") << "Icon"
                          << "kvz";
    QTest::newRow("category") << "Categories"
                              << "Education;";
}

void tst_Package::desktopEntry() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QStringList lines =
        QString::fromUtf8(readAll(installed("usr/share/applications/kvz.desktop"))).split(u'\n');
    QVERIFY(lines.contains(key + u'=' + value));
    if (key == u"Exec")
        QVERIFY(QFile::exists(installed(QStringLiteral("usr/bin/") + value)));
    if (key == u"Icon")
        QVERIFY(QFile::exists(installed(QStringLiteral("usr/share/icons/hicolor/32x32/apps/") +
                                        value + QStringLiteral(".png"))));
}

void tst_Package::installPlacesTheDatabaseOnlyWhereNoneIs_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("delivered");
    QTest::newRow("a new machine") << "nothing" << true;
    QTest::newRow("the folder alone") << "folder" << true;
    QTest::newRow("a teacher's results") << "results" << false;
    QTest::newRow("a link to them") << "link" << false;
}

void tst_Package::installPlacesTheDatabaseOnlyWhereNoneIs() {
    QFETCH(QString, before);
    QFETCH(bool, delivered);
    Root root;
    const QString folder = QFileInfo(root.database()).path();
    if (before != u"nothing")
        QVERIFY(QDir().mkpath(folder));
    if (before == u"results")
        QVERIFY(writeFile(root.database(), kResults));
    if (before == u"link")
        QVERIFY(QFile::link(root.path("elsewhere.mdb"), root.database()));

    const QString failure = root.dpkg({QStringLiteral("-i"), m_deb});

    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    if (delivered)
        QCOMPARE(readAll(root.database()), readAll(installed("usr/share/kvz/kvz_1.mdb")));
    else if (before == u"results")
        QCOMPARE(readAll(root.database()), kResults);
    else
        QVERIFY(QFileInfo(root.database()).isSymLink());
    QVERIFY(everyoneMay(folder, QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
    if (!QFileInfo(root.database()).isSymLink())
        QVERIFY(everyoneMay(root.database(), QFile::ReadOther | QFile::WriteOther));
    QVERIFY(!QFile::exists(root.database() + QStringLiteral(".dpkg-new")));
}

void tst_Package::upgradeReinstallRemovalAndPurgeKeepTheResults() {
    Root root;
    QString failure = root.dpkg({QStringLiteral("-i"), withVersion(QStringLiteral("1.00"))});
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    // The results of a year, and the log files a pupil's program left with its own umask.
    QVERIFY(writeFile(root.database(), kResults));
    for (const char* log : {"-wal", "-shm"}) {
        QVERIFY(writeFile(root.database() + QLatin1String(log), "log"));
        QVERIFY(QFile::setPermissions(root.database() + QLatin1String(log),
                                      QFile::ReadOwner | QFile::WriteOwner));
    }

    for (const char* action : {"upgrade", "reinstall"}) {
        failure = root.dpkg({QStringLiteral("-i"), m_deb});
        QVERIFY2(failure.isEmpty(), qPrintable(QString::fromLatin1(action) + u' ' + failure));
        QCOMPARE(readAll(root.database()), kResults);
        for (const char* log : {"", "-wal", "-shm"})
            QVERIFY2(everyoneMay(root.database() + QLatin1String(log),
                                 QFile::ReadOther | QFile::WriteOther),
                     log);
    }
    QVERIFY(QFile::exists(root.path("usr/bin/kvz")));

    // What kvz-server wrote, among what others wrote into the same files.
    const QByteArray others = "[other]\nhost=elsewhere\n";
    const QString service = root.path("etc/postgresql-common/pg_service.conf");
    const QString passwords = root.path("home/teacher/.pgpass");
    for (const char* folder : {"home/teacher", "etc/postgresql-common"})
        QVERIFY(QDir().mkpath(root.path(QString::fromLatin1(folder))));
    QVERIFY(writeFile(service, others + "[kvz]\nhost=server\nuser=kvz_student\n"));
    QVERIFY(writeFile(passwords, "server:5432:kvz:kvz_teacher:secret\nx:5432:db:me:other\n"));
    QVERIFY(writeFile(root.path("etc/postgresql-common/kvz-server.files"),
                      "# written\nservice /etc/postgresql-common/pg_service.conf\n"
                      "pgpass /home/teacher/.pgpass\n"));
    for (const char* action : {"-r", "-P"}) {
        failure = root.dpkg({QString::fromLatin1(action), QStringLiteral("kvz")});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(!QFile::exists(root.path("usr/bin/kvz")));
        QCOMPARE(readAll(root.database()), kResults);
        QCOMPARE(readAll(service).contains("[kvz]"), action == QLatin1String("-r"));
    }
    QCOMPARE(readAll(service), others);
    QCOMPARE(readAll(passwords), QByteArray("x:5432:db:me:other\n"));
    QVERIFY(!QFile::exists(root.path("etc/postgresql-common/kvz-server.files")));
}

QString tst_Package::withVersion(const QString& version) {
    const QString unpacked = m_out.filePath(QStringLiteral("unpacked-") + version);
    const QString deb = m_out.filePath(QStringLiteral("kvz-") + version + QStringLiteral(".deb"));
    if (run(QStringLiteral("dpkg-deb"), {QStringLiteral("-R"), m_deb, unpacked}).exitCode != 0)
        return {};
    const QString control = unpacked + QStringLiteral("/DEBIAN/control");
    QString text = QString::fromUtf8(readAll(control));
    text.replace(
        QRegularExpression(QStringLiteral("^Version: .*$"), QRegularExpression::MultilineOption),
        QStringLiteral("Version: ") + version);
    writeFile(control, text.toUtf8());
    run(QStringLiteral("dpkg-deb"),
        {QStringLiteral("--root-owner-group"), QStringLiteral("-b"), unpacked, deb});
    return deb;
}

// Errors fail; each warning must be one the README explains.
void tst_Package::lintianFindsNoError() {
    if (QStandardPaths::findExecutable(QStringLiteral("lintian")).isEmpty())
        QSKIP("lintian is not installed: the package is not checked against Debian's policy");
    const Run lintian = run(QStringLiteral("lintian"), {m_deb});
    const QString readme = QString::fromUtf8(readAll(QStringLiteral(KVZ_SOURCE_DIR "/README.md")));
    static const QRegularExpression tag(QStringLiteral("^([EW]): kvz[^:]*: (\\S+)"),
                                        QRegularExpression::MultilineOption);
    QStringList faults;
    for (auto match = tag.globalMatch(lintian.output); match.hasNext();) {
        const auto found = match.next();
        if (found.captured(1) == u"E" || !readme.contains(u'`' + found.captured(2) + u'`'))
            faults << found.captured(0);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(lintian.output));
}

QTEST_GUILESS_MAIN(tst_Package)
#include "tst_package.moc"
