#!/usr/bin/python3
"""Runs one real FTP server in the foreground on loopback for the interop tests.

    ftp_peer.py KIND PORT WORKDIR [--tls 1.2|1.3] [--cert PEM] [--pasv LOW:HIGH]
                [--lifetime SECONDS]

KIND is vsftpd, proftpd, pure-ftpd or pyftpdlib. The server logs in USER with PASSWORD (below),
a system user made here when missing, and lands in that user's home; the tests reach their
folders as the host's server folder. WORKDIR receives the configuration and the servers' logs. Without
--tls the server speaks plain FTP only; with it, explicit TLS with that highest version. The
server ends after --lifetime seconds whatever happens, so none outlives its test. Needs root:
the servers log in system users.
"""
import argparse
import ctypes
import fcntl
import os
import pwd
import signal
import subprocess
import sys

USER = "quorrelftp"
PASSWORD = "Quorrel-peer-1"
PEERS = os.environ.get("QUORREL_PEERS", "/opt/ftpquorrel-peers")


def ensure_user():
    # Tests start servers side by side: one of them makes the user.
    with open("/tmp/ftpquorrel-peer-user.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        try:
            pwd.getpwnam(USER)
        except KeyError:
            subprocess.run(["useradd", "-m", "-s", "/bin/bash", USER], check=True)
            subprocess.run(["chpasswd"], input=f"{USER}:{PASSWORD}\n", text=True, check=True)


def write(path, text):
    with open(path, "w") as f:
        f.write(text)
    return path


def limit_tls(env, work, version):
    """Caps the server's OpenSSL at TLS 1.2 through its configuration file, whatever the
    server's own options offer."""
    if version != "1.2":
        return
    env["OPENSSL_CONF"] = write(os.path.join(work, "openssl.cnf"), "\n".join([
        "openssl_conf = conf", "[conf]", "ssl_conf = ssl", "[ssl]", "system_default = limits",
        "[limits]", "MinProtocol = TLSv1.2", "MaxProtocol = TLSv1.2", ""]))


def vsftpd(a):
    lines = [
        "listen=YES", "listen_ipv6=NO", "listen_address=127.0.0.1", f"listen_port={a.port}",
        "background=NO", "anonymous_enable=NO", "local_enable=YES", "write_enable=YES",
        "local_umask=022", "port_enable=YES", "connect_from_port_20=NO", "pasv_enable=YES",
        f"pasv_min_port={a.low}", f"pasv_max_port={a.high}", "seccomp_sandbox=NO",
        # A PAM service without a file of its own gets the system's "other" rules: the
        # user's own password.
        "secure_chroot_dir=/var/run/vsftpd/empty", "pam_service_name=ftpquorrel-peer",
        "chmod_enable=YES", "xferlog_enable=YES", "log_ftp_protocol=YES",
        f"vsftpd_log_file={a.work}/vsftpd.log", "dual_log_enable=NO", "syslog_enable=NO",
    ]
    if a.tls:
        lines += ["ssl_enable=YES", f"rsa_cert_file={a.cert}", f"rsa_private_key_file={a.cert}",
                  "force_local_logins_ssl=YES", "force_local_data_ssl=YES", "debug_ssl=YES",
                  "ssl_tlsv1=NO", "ssl_sslv2=NO", "ssl_sslv3=NO"]
    os.makedirs("/var/run/vsftpd/empty", exist_ok=True)
    conf = write(os.path.join(a.work, "vsftpd.conf"), "\n".join(lines) + "\n")
    return [os.path.join(PEERS, "vsftpd/usr/sbin/vsftpd"), conf]


def proftpd(a):
    root = os.path.join(PEERS, "proftpd")
    lines = [
        "ServerType standalone", "ServerName quorrel-peer", f"Port {a.port}",
        "DefaultAddress 127.0.0.1", "SocketBindTight on", "User nobody", "Group nogroup",
        f"ScoreboardFile {a.work}/proftpd.scoreboard", f"PidFile {a.work}/proftpd.pid",
        "DelayTable none", "DelayEngine off", "WtmpLog off", "AuthPAM off", "AuthOrder mod_auth_unix.c",
        "RequireValidShell off", "UseReverseDNS off",
        f"PassivePorts {a.low} {a.high}", "AllowOverwrite on", "Umask 022",
        f"ModulePath {root}/usr/lib/proftpd", f"SystemLog {a.work}/proftpd.log",
        f"TransferLog {a.work}/proftpd.xferlog", "MaxInstances 30",
    ]
    if a.tls:
        lines += ["LoadModule mod_tls.c", "<IfModule mod_tls.c>", "TLSEngine on",
                  "TLSProtocol TLSv1.2 TLSv1.3" if a.tls == "1.3" else "TLSProtocol TLSv1.2",
                  f"TLSRSACertificateFile {a.cert}", f"TLSRSACertificateKeyFile {a.cert}",
                  "TLSRequired on", "TLSVerifyClient off", f"TLSLog {a.work}/proftpd-tls.log",
                  "</IfModule>"]
    conf = write(os.path.join(a.work, "proftpd.conf"), "\n".join(lines) + "\n")
    return [os.path.join(root, "usr/sbin/proftpd"), "-n", "-q", "-c", conf]


def pure_ftpd(a):
    binary = os.path.join(PEERS, "pure-ftpd/usr/sbin/pure-ftpd")
    # -E no anonymous logins, -H no name lookups, -l unix the system's users; -Y 2 (TLS) refuses
    # a login that did not secure the connection first.
    args = [binary, "-S", f"127.0.0.1,{a.port}", "-l", "unix", "-E", "-H",
            "-p", f"{a.low}:{a.high}", "-c", "30", "-C", "30"]
    if a.tls:
        args += ["-Y", "2", "-2", a.cert]
    return args


PYFTPDLIB = r"""
import ssl, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer
port, home, user, password, low, high, tls, cert = sys.argv[1:9]
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, home, perm='elradfmwMT')
base = TLS_FTPHandler if tls else FTPHandler
# Without FEAT it offers nothing beyond what every server knows: the table's server that offers
# none of MLSD, MDTM, MFMT, UTF8.
class handler(base):
    proto_cmds = {k: v for k, v in base.proto_cmds.items() if k != 'FEAT'}
if tls:
    handler.certfile = cert
    handler.tls_control_required = True
    handler.tls_data_required = True
handler.authorizer = authorizer
handler.passive_ports = range(int(low), int(high) + 1)
FTPServer(('127.0.0.1', int(port)), handler).serve_forever()
"""


def pyftpdlib(a):
    # The whole file system as its root, so that paths are the same as on the other servers.
    return ["/usr/bin/python3", "-c", PYFTPDLIB, str(a.port), "/", USER, PASSWORD,
            str(a.low), str(a.high), a.tls or "", a.cert or ""]


def run(command, env, lifetime):
    """Runs the server as a child and stays beside it: the server dies with this process, this
    process with the test that started it, and both after `lifetime` seconds at the latest."""
    libc = ctypes.CDLL(None, use_errno=True)
    pr_set_pdeathsig = 1
    libc.prctl(pr_set_pdeathsig, signal.SIGKILL)
    server = subprocess.Popen(command, env=env, cwd="/",
                              preexec_fn=lambda: libc.prctl(pr_set_pdeathsig, signal.SIGKILL))

    def stop(*_):
        server.terminate()
        try:
            server.wait(5)
        except subprocess.TimeoutExpired:
            server.kill()
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    try:
        return server.wait(lifetime)
    except subprocess.TimeoutExpired:
        stop()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("kind", choices=["vsftpd", "proftpd", "pure-ftpd", "pyftpdlib"])
    p.add_argument("port", type=int)
    p.add_argument("work")
    p.add_argument("--tls", choices=["1.2", "1.3"])
    p.add_argument("--cert")
    p.add_argument("--pasv", default="40000:40199")
    p.add_argument("--lifetime", type=int, default=600)
    a = p.parse_args()
    a.low, a.high = (int(x) for x in a.pasv.split(":"))
    ensure_user()
    command = {"vsftpd": vsftpd, "proftpd": proftpd, "pure-ftpd": pure_ftpd,
               "pyftpdlib": pyftpdlib}[a.kind](a)
    env = dict(os.environ)
    if a.tls:
        limit_tls(env, a.work, a.tls)
    return run(command, env, a.lifetime)


if __name__ == "__main__":
    sys.exit(main())
