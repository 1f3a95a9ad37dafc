// Checks each manifest file named on the command line: every object against
// the Kubernetes schema of its kind (kubernetes-models), the rules on names
// and values that the schemas leave to the API server, and that the agent's
// name (in the file's name and ".name") reads back unchanged. Prints one line
// per object; exits 1 on the first fault.
'use strict';
const fs = require('fs');
const yaml = require('js-yaml');
const { ConfigMap } = require('kubernetes-models/v1/ConfigMap');
const { CronJob } = require('kubernetes-models/batch/v1/CronJob');

const dnsLabel = /^[a-z0-9]([-a-z0-9]{0,61}[a-z0-9])?$/;
const labelValue = /^(([A-Za-z0-9][-A-Za-z0-9_.]{0,61})?[A-Za-z0-9])?$/;
const configKey = /^[-._a-zA-Z0-9]{1,253}$/;
const isSubdomain = (name) => name.length <= 253 && name.split('.').every((l) => dnsLabel.test(l));

function check(condition, what) {
  if (!condition) {
    throw new Error(what);
  }
}

function checkMetadata(object) {
  const { name, namespace, labels } = object.metadata;
  check(isSubdomain(name), `bad name ${name}`);
  check(namespace === undefined || dnsLabel.test(namespace), `bad namespace ${namespace}`);
  for (const value of Object.values(labels)) {
    check(labelValue.test(value), `bad label value ${value}`);
  }
}

function checkAgentName(object, name) {
  check(object.metadata.annotations['gleanwork.github.io/agent'] === name, 'the name changed');
  if (object.kind === 'ConfigMap') {
    check(object.data['AGENTS.INI'] === `${name}\n`, 'AGENTS.INI does not name the agent');
  } else {
    check(object.spec.jobTemplate.spec.template.spec.containers[0].args.at(-1) === name,
      'the run names another agent');
  }
}

function checkCronJob(job, configMaps) {
  check(job.metadata.name.length <= 52, `CronJob name longer than 52: ${job.metadata.name}`);
  check(job.spec.schedule.split(' ').length === 5, `not 5 cron fields: ${job.spec.schedule}`);
  check(job.spec.concurrencyPolicy === 'Forbid', 'runs may overlap');
  const pod = job.spec.jobTemplate.spec.template.spec;
  for (const each of [...pod.containers, ...pod.volumes]) {
    check(dnsLabel.test(each.name), `bad container or volume name ${each.name}`);
  }
  const agent = pod.volumes.find((volume) => volume.configMap);
  check(configMaps.has(agent.configMap.name), `no ConfigMap ${agent.configMap.name}`);
  for (const item of agent.configMap.items) {
    check(!item.path.startsWith('/') && !item.path.split('/').includes('..'), `bad path ${item.path}`);
  }
}

const names = new Set();
for (const file of process.argv.slice(2)) {
  const configMaps = new Set();
  const name = fs.readFileSync(`${file}.name`, 'utf8');
  for (const object of yaml.loadAll(fs.readFileSync(file, 'utf8'))) {
    try {
      checkMetadata(object);
      checkAgentName(object, name);
      if (object.kind === 'ConfigMap') {
        new ConfigMap(object).validate();
        Object.keys({ ...object.data, ...object.binaryData }).forEach((key) =>
          check(configKey.test(key), `bad ConfigMap key ${key}`));
        configMaps.add(object.metadata.name);
      } else {
        new CronJob(object).validate();
        checkCronJob(object, configMaps);
        check(!names.has(object.metadata.name), `two agents share ${object.metadata.name}`);
        names.add(object.metadata.name);
      }
    } catch (error) {
      console.error(`FAIL: ${file}: ${object.kind} ${object.metadata.name}: ${error.message}`);
      process.exit(1);
    }
    console.log(`valid ${object.kind} ${object.metadata.name} (${object.metadata.annotations['gleanwork.github.io/agent']})`);
  }
}
