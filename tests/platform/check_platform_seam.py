# Fails when a Linux-only header, flag or call appears in src/ outside the platform seam
# (src/platform) and outside a Q_OS_LINUX block: such code does not build for macOS.
# Usage: check_platform_seam.py <src folder>
import pathlib
import re
import sys

LINUX_ONLY = re.compile(
    r'<(sys/(prctl|signalfd|inotify|epoll|eventfd|sendfile|vfs|sysmacros|timerfd)\.h|linux/[^>]+|mntent\.h)>'
    r'|\b(PR_SET_\w+|SOCK_CLOEXEC|SOCK_NONBLOCK|pipe2|accept4|dup3|O_PATH|O_TMPFILE|O_NOATIME|MSG_NOSIGNAL|signalfd'
    r'|inotify_\w+|epoll_\w+|eventfd|memfd_create|copy_file_range|fallocate|renameat2|statx|close_range|st_[amc]tim)\b')
problems = []
source = pathlib.Path(sys.argv[1])
for path in sorted(p for p in source.rglob('*') if p.suffix in ('.cpp', '.h') and source / 'platform' not in p.parents):
    levels = []  # per open #if: [its branch here is taken on Linux only, its #else would be]
    for number, line in enumerate(path.read_text(encoding='utf-8').splitlines(), 1):
        directive = re.match(r'\s*#\s*(if|ifdef|ifndef|elif|else|endif)\b(.*)', line)
        if directive:
            kind, condition = directive.groups()
            linux = 'Q_OS_LINUX' in condition
            negated = kind == 'ifndef' or '!' in condition
            if kind.startswith('if'):
                levels.append([linux and not negated, linux and negated])
            elif kind == 'elif':
                levels[-1] = [linux and not negated, False]
            elif kind == 'else':
                levels[-1] = [levels[-1][1], False]
            else:
                levels.pop()
        elif (found := LINUX_ONLY.search(line.split('//')[0])) and not any(level[0] for level in levels):
            problems.append(f'{path}:{number}: {found.group(0)} outside the platform seam and Q_OS_LINUX')
print('\n'.join(problems) or 'Linux-only code stays behind the platform seam.')
sys.exit(1 if problems else 0)
