"""A ClickHouse server of the test's own: its configuration and data in a folder of the test,
listening on a free port of the loopback interface only, stopped (and killed if need be) at the
end whatever happened. The machine's own clickhouse-server service is never used."""
import os
import shutil
import socket
import subprocess
import time

CONFIG = """<?xml version="1.0"?>
<yandex>
  <logger><level>warning</level><log>{folder}/server.log</log>
    <errorlog>{folder}/error.log</errorlog><console>0</console></logger>
  <listen_host>127.0.0.1</listen_host>
  <tcp_port>{port}</tcp_port>
  <path>{folder}/data/</path>
  <tmp_path>{folder}/tmp/</tmp_path>
  <user_files_path>{folder}/user_files/</user_files_path>
  <format_schema_path>{folder}/format_schemas/</format_schema_path>
  <users_config>{folder}/users.xml</users_config>
  <default_profile>default</default_profile>
  <default_database>default</default_database>
  <timezone>UTC</timezone>
  <mark_cache_size>67108864</mark_cache_size>
  <max_concurrent_queries>20</max_concurrent_queries>
</yandex>
"""

USERS = """<?xml version="1.0"?>
<yandex>
  <profiles><default><max_memory_usage>2000000000</max_memory_usage></default></profiles>
  <users><default><password></password><networks><ip>127.0.0.1</ip></networks>
    <profile>default</profile><quota>default</quota></default></users>
  <quotas><default></default></quotas>
</yandex>
"""


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class ClickHouseServer:
    def __init__(self, folder):
        self.folder = os.path.abspath(folder)
        self.port = None
        self.process = None

    def start(self, timeout=90):
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.port = free_port()
        config = os.path.join(self.folder, "config.xml")
        with open(config, "w") as f:
            f.write(CONFIG.format(folder=self.folder, port=self.port))
        with open(os.path.join(self.folder, "users.xml"), "w") as f:
            f.write(USERS)
        with open(os.path.join(self.folder, "stderr"), "wb") as stderr:
            self.process = subprocess.Popen(
                ["clickhouse-server", "--config-file=" + config], cwd=self.folder,
                stdout=subprocess.DEVNULL, stderr=stderr)
        deadline = time.monotonic() + timeout
        while True:
            if self.process.poll() is not None:
                raise RuntimeError("clickhouse-server ended at start: " + self.log())
            probe = subprocess.run(self.command("--query", "SELECT 1"), capture_output=True)
            if probe.returncode == 0:
                return
            if time.monotonic() > deadline:
                raise RuntimeError("clickhouse-server did not answer: " + self.log())
            time.sleep(0.3)

    def address(self):
        """clickhouse-client's options for this server: by address, not "localhost", which a
        minimal system may have no hosts entry for."""
        return ["--host", "127.0.0.1", "--port", str(self.port)]

    def command(self, *args):
        return ["clickhouse-client"] + self.address() + list(args)

    def client(self, *args, stdin=None):
        result = subprocess.run(self.command(*args), stdin=stdin, capture_output=True, timeout=300)
        if result.returncode != 0:
            raise RuntimeError("clickhouse-client %s: %s" % (args, result.stderr.decode()))
        return result.stdout

    def log(self):
        text = ""
        for name in ("stderr", "error.log"):
            path = os.path.join(self.folder, name)
            if os.path.exists(path):
                with open(path, errors="replace") as f:
                    text += f.read()[-2000:]
        return text

    def stop(self):
        if self.process is None or self.process.poll() is not None:
            return
        self.process.terminate()
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
